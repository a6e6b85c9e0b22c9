#pragma once

#include "ReportPrinter.h"
#include "TableFiles.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace DataKit {
class Database;
}

namespace kvtest {

// A report printer that answers as told and writes down every request with its values.
class RecordingPrinter final : public ReportPrinter
{
public:
    mutable QStringList requests;
    QString name = QStringLiteral("PDF 文件");
    int setupAnswer = 0;
    int previewAnswer = 0;
    QWidget *owner = nullptr;
    QString database;
    QString table;

    void setOwnerWindow(QWidget *window) override { owner = noted(window, "owner"); }
    QString printerName() const override { return noted(name, "printerName"); }
    void setCellPadding(short points) override { note("padding", points); }
    void setPrintSwitch(bool on) override { note("switch", on); }
    void setLayoutDatabase(const QString &path) override { database = noted(path, "database"); }
    void setLayoutTable(const QString &name) override { table = noted(name, "table"); }
    QString layoutTable() const override { return table; }
    void setFollowingLayoutTable(const QString &name) override { note("following", name == table); }
    void attachGrid(GridControl *grid) override { note("grid", grid != nullptr); }
    int printerSetup(short &copies, short &orientation, QString &printer) override
    {
        return noted(setupAnswer, "setup", copies, orientation, "'" + printer + "'");
    }
    void setTableOffsets(int left, int top, int bottom) override
    {
        note("offsets", left, top, bottom);
    }
    void setLastHeaderColumn(int column) override { note("headerColumn", column); }
    void setColumnWidth(int column, int width, int fit) override
    {
        note("width", column, width, fit);
    }
    void setMargins(int left, int top, int right, int bottom) override
    {
        note("margins", left, top, right, bottom);
    }
    int preview() override { return noted(previewAnswer, "preview"); }
    int print() override { return noted(0, "print"); }
    int outputColumn(int index, const QString &heading, int type, int width) override
    {
        return noted(0, "output", index, "'" + heading + "'", type, width);
    }

private:
    template <typename... Values>
    void note(const char *request, const Values &...values) const
    {
        QStringList words{QString::fromLatin1(request)};
        (words.append(QVariant(values).toString()), ...);
        requests << words.join(QLatin1Char(' '));
    }
    template <typename Answer, typename... Values>
    Answer noted(Answer answer, const char *request, const Values &...values) const
    {
        note(request, values...);
        return answer;
    }
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
    QByteArray m_systemDir;
};

// The layout table's rows in the order written, each as its eleven values joined by "|".
QStringList layoutRows(const QString &databasePath, const QString &table);
// The names of the layout tables in the print database, in name order.
QStringList layoutTables(const QString &databasePath);
// Text of a PDF (pdftotext, layout kept).
QString pdfText(const QString &path);

} // namespace kvtest
