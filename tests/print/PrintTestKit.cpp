#include "PrintTestKit.h"

#include "Database.h"
#include "ObjectRegistry.h"
#include "Recordset.h"
#include "TerminalService.h"

#include <QWidget>

namespace kvtest {

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
    : m_systemDir(qgetenv("KVDIGEST_SYSTEM_DIR"))
{
    qputenv("KVDIGEST_SYSTEM_DIR", m_dir.path().toUtf8());
    if (sessionId.isEmpty())
        ObjectRegistry::unregisterObject(QStringLiteral("SeatMisc.Console"));
    else
        qputenv("XDG_SESSION_ID", sessionId.toUtf8());
}

PrintPlace::~PrintPlace()
{
    qputenv("KVDIGEST_SYSTEM_DIR", m_systemDir);
    qunsetenv("XDG_SESSION_ID");
    ObjectRegistry::registerObject(QStringLiteral("SeatMisc.Console"),
                                   [] { return std::make_unique<TerminalService>(); });
}

namespace {

QStringList rowsOf(const QString &databasePath, const QString &sql)
{
    const auto rs =
        DataKit::Database::open(databasePath)->OpenRecordset(sql, DataKit::dbOpenSnapshot);
    QStringList rows;
    for (; !rs->isEOF(); rs->MoveNext()) {
        QStringList values;
        for (int i = 0; i < rs->fieldCount(); ++i)
            values << rs->Fields(i).toString();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

QStringList layoutRows(const QString &databasePath, const QString &table)
{
    return rowsOf(databasePath, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
}

QStringList layoutTables(const QString &databasePath)
{
    return rowsOf(databasePath, QStringLiteral("SELECT name FROM sqlite_master WHERE name LIKE "
                                               "'TempPrint%' ORDER BY name"));
}

QString pdfText(const QString &path)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

} // namespace kvtest
