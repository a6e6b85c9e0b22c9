#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <memory>

class GridControl;
class QWidget;

// The suite's report printer. A job hands it a layout database and table (the page decoration:
// section rows and text items) and a grid (the rows and columns to print), sets the columns and
// margins, and asks for a preview, a print, printer setup or output to a file. The requests are
// virtual so that a test can put a recording printer in the real one's place (setFactory).
class ReportPrinter
{
public:
    // The answer of a dialog the user cancelled.
    static constexpr int kCancelled = 1002;

    using Factory = std::function<std::unique_ptr<ReportPrinter>()>;
    // A new report printer: the real one, or what setFactory installed.
    static std::unique_ptr<ReportPrinter> create();
    // Installs what create() makes; an empty factory brings the real printer back.
    static void setFactory(Factory factory);

    virtual ~ReportPrinter() = default;

    // Design setting: the font of the printed headings and cells.
    void setFont(const QFont &font) { m_font = font; }
    const QFont &font() const { return m_font; }

    // Owner of the printer's dialogs and messages.
    virtual void setOwnerWindow(QWidget *owner) = 0;
    // The current printer; "" when there is none.
    virtual QString printerName() const = 0;
    // Space around a cell's text, in points, shared out on both sides.
    virtual void setCellPadding(short points) = 0;
    // print() prints only while the switch is on: a job turns it on just before it prints.
    virtual void setPrintSwitch(bool on) = 0;
    // The layout database file; the printer opens it itself.
    virtual void setLayoutDatabase(const QString &path) = 0;
    // The layout of the first page: section 0 above the table, section 1 as the page's top strip.
    virtual void setLayoutTable(const QString &table) = 0;
    virtual QString layoutTable() const = 0;
    // The layout of every further page, of which section 1 is used.
    virtual void setFollowingLayoutTable(const QString &table) = 0;
    // The grid whose rows and columns are printed. Not owned.
    virtual void attachGrid(GridControl *grid) = 0;
    // Printer setup dialog. In: copies, orientation (0 keep, 1 portrait, 2 landscape), printer
    // ("" the current one). Out: the choices. Answers 0, or kCancelled.
    virtual int printerSetup(short &copies, short &orientation, QString &printer) = 0;
    // Twips: the table's indent from the left, extra space above it and above the page number.
    virtual void setTableOffsets(int left, int top, int bottom) = 0;
    // Columns 0 to this one print like headings; -1 for none.
    virtual void setLastHeaderColumn(int column) = 0;
    // Width in hundredths of a centimetre; fit 2 wraps a long text onto further lines, any other
    // value cuts it short with an ellipsis.
    virtual void setColumnWidth(int column, int hundredthsCm, int fit) = 0;
    // Millimetres.
    virtual void setMargins(int left, int top, int right, int bottom) = 0;
    // Answers 0 once the preview has been shown, another number when it could not be.
    virtual int preview() = 0;
    // Answers 0 when printed, kCancelled when the user gave up, another number on failure.
    virtual int print() = 0;
    // Output to a file, defined by several calls: (-1, "", 0, column count) starts a definition;
    // (column, heading, type, width in characters) defines one output column from the grid column
    // of that index (type 10: text); (-2, "", 0, 0) asks for the file and writes it, and answers
    // like print().
    virtual int outputColumn(int index, const QString &heading, int type, int width) = 0;
    // The file the last output wrote, "" when it wrote none (cancelled or failed).
    virtual QString writtenFile() const { return {}; }

private:
    QFont m_font;
};
