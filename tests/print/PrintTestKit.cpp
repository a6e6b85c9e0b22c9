#include "PrintTestKit.h"

#include "Database.h"
#include "ObjectRegistry.h"
#include "Recordset.h"
#include "TerminalService.h"

#include <QProcess>
#include <QWidget>

namespace kvtest {

void RecordingPrinter::setOwnerWindow(QWidget *window)
{
    owner = window;
    requests << QStringLiteral("owner");
}

QString RecordingPrinter::printerName() const
{
    requests << QStringLiteral("printerName");
    return name;
}

void RecordingPrinter::setCellPadding(short points)
{
    requests << QStringLiteral("padding %1").arg(points);
}

void RecordingPrinter::setPrintSwitch(bool on)
{
    requests << QStringLiteral("switch %1").arg(on);
}

void RecordingPrinter::setLayoutDatabase(const QString &path)
{
    database = path;
    requests << QStringLiteral("database");
}

void RecordingPrinter::setLayoutTable(const QString &name)
{
    table = name;
    requests << QStringLiteral("table");
}

QString RecordingPrinter::layoutTable() const
{
    return table;
}

void RecordingPrinter::setFollowingLayoutTable(const QString &name)
{
    requests << QStringLiteral("following %1").arg(name == table);
}

void RecordingPrinter::attachGrid(GridControl *grid)
{
    requests << QStringLiteral("grid %1").arg(grid != nullptr);
}

int RecordingPrinter::printerSetup(short &copies, short &orientation, QString &printer)
{
    requests << QStringLiteral("setup %1 %2 '%3'").arg(copies).arg(orientation).arg(printer);
    return setupAnswer;
}

void RecordingPrinter::setTableOffsets(int left, int top, int bottom)
{
    requests << QStringLiteral("offsets %1 %2 %3").arg(left).arg(top).arg(bottom);
}

void RecordingPrinter::setLastHeaderColumn(int column)
{
    requests << QStringLiteral("headerColumn %1").arg(column);
}

void RecordingPrinter::setColumnWidth(int column, int hundredthsCm, int fit)
{
    requests << QStringLiteral("width %1 %2 %3").arg(column).arg(hundredthsCm).arg(fit);
}

void RecordingPrinter::setMargins(int left, int top, int right, int bottom)
{
    requests << QStringLiteral("margins %1 %2 %3 %4").arg(left).arg(top).arg(right).arg(bottom);
}

int RecordingPrinter::preview()
{
    requests << QStringLiteral("preview");
    return previewAnswer;
}

int RecordingPrinter::print()
{
    requests << QStringLiteral("print");
    return 0;
}

int RecordingPrinter::outputColumn(int index, const QString &heading, int type, int width)
{
    requests << QStringLiteral("output %1 '%2' %3 %4").arg(index).arg(heading).arg(type).arg(width);
    return 0;
}

RecordingPrinterSeat::RecordingPrinterSeat()
{
    ReportPrinter::setFactory([this] {
        auto printer = std::make_unique<RecordingPrinter>();
        m_latest = printer.get();
        return printer;
    });
}

RecordingPrinterSeat::~RecordingPrinterSeat()
{
    ReportPrinter::setFactory({});
}

PrintPlace::PrintPlace(const QString &sessionId)
{
    qputenv("KVDIGEST_SYSTEM_DIR", m_dir.path().toUtf8());
    if (sessionId.isEmpty())
        ObjectRegistry::unregisterObject(QStringLiteral("SeatMisc.Console"));
    else
        qputenv("XDG_SESSION_ID", sessionId.toUtf8());
}

PrintPlace::~PrintPlace()
{
    qunsetenv("KVDIGEST_SYSTEM_DIR");
    qunsetenv("XDG_SESSION_ID");
    ObjectRegistry::registerObject(QStringLiteral("SeatMisc.Console"),
                                   [] { return std::make_unique<TerminalService>(); });
}

QStringList layoutRows(const QString &databasePath, const QString &table)
{
    const auto db = DataKit::Database::open(databasePath);
    const auto rs = db->OpenRecordset(QStringLiteral("SELECT * FROM ") + table +
                                          QStringLiteral(" ORDER BY rowid"),
                                      DataKit::dbOpenSnapshot);
    QStringList rows;
    for (; !rs->isEOF(); rs->MoveNext()) {
        QStringList values;
        for (int i = 0; i < rs->fieldCount(); ++i)
            values << rs->Fields(i).toString();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList layoutTables(const QString &databasePath)
{
    const auto db = DataKit::Database::open(databasePath);
    const auto rs = db->OpenRecordset(
        QStringLiteral("SELECT name FROM sqlite_master WHERE name LIKE 'TempPrint%' ORDER BY name"),
        DataKit::dbOpenSnapshot);
    QStringList names;
    for (; !rs->isEOF(); rs->MoveNext())
        names << rs->Fields(0).toString();
    return names;
}

QString pdfText(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), path, QStringLiteral("-")});
    pdftotext.waitForFinished(60000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

} // namespace kvtest
