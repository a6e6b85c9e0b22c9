#pragma once

#include "ReportPrinter.h"

#include <QStringList>
#include <QTemporaryDir>

namespace DataKit {
class Database;
}

namespace kvtest {

// A report printer that answers as told and writes down every request with its values.
class RecordingPrinter final : public ReportPrinter
{
public:
    mutable QStringList requests;
    QWidget *owner = nullptr;
    QString name = QStringLiteral("PDF 文件");
    int setupAnswer = 0;
    int previewAnswer = 0;
    QString database;
    QString table;

    void setOwnerWindow(QWidget *owner) override;
    QString printerName() const override;
    void setCellPadding(short points) override;
    void setPrintSwitch(bool on) override;
    void setLayoutDatabase(const QString &path) override;
    void setLayoutTable(const QString &table) override;
    QString layoutTable() const override;
    void setFollowingLayoutTable(const QString &table) override;
    void attachGrid(GridControl *grid) override;
    int printerSetup(short &copies, short &orientation, QString &printer) override;
    void setTableOffsets(int left, int top, int bottom) override;
    void setLastHeaderColumn(int column) override;
    void setColumnWidth(int column, int hundredthsCm, int fit) override;
    void setMargins(int left, int top, int right, int bottom) override;
    int preview() override;
    int print() override;
    int outputColumn(int index, const QString &heading, int type, int width) override;
};

// Puts a recording printer in every window opened from now on; the real one comes back when it
// goes. printer() is the one the latest window holds.
class RecordingPrinterSeat
{
public:
    RecordingPrinterSeat();
    ~RecordingPrinterSeat();
    RecordingPrinter &printer() const { return *m_latest; }

private:
    RecordingPrinter *m_latest = nullptr;
};

// A system directory of the test's own, with the session id given ("" for none).
class PrintPlace
{
public:
    explicit PrintPlace(const QString &sessionId = QStringLiteral("7"));
    ~PrintPlace();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// The layout table's rows in the order written, each as its eleven values joined by "|".
QStringList layoutRows(const QString &databasePath, const QString &table);
// The names of the layout tables in the print database.
QStringList layoutTables(const QString &databasePath);
// Text of a PDF (pdftotext, layout kept).
QString pdfText(const QString &path);

} // namespace kvtest
