#include "BenchLedger.h"

#include "Database.h"
#include "HostSchema.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

void PrepareEmptyLedger(DataKit::Database &db)
{
    HostSchema::create(db);
    HostSchema::fillDemoData(db);
    db.Execute(QStringLiteral("delete from GL_VoucherLine"));
    db.Execute(QStringLiteral("delete from GL_bDigest"));
}

int RunOnEngines(
    const QString &databaseName,
    const std::function<void(const QString &engine, const QString &target, bool create)> &run)
{
    try {
        QTemporaryDir dir;
        run(QStringLiteral("SQLite"), dir.filePath(QStringLiteral("ledger.db")), true);
        const QString server = qEnvironmentVariable("KVDIGEST_PG_URL");
        if (server.isEmpty())
            return 0;
        auto admin = DataKit::Database::open(server);
        const QString drop = QStringLiteral("DROP DATABASE IF EXISTS ") + databaseName;
        admin->Execute(drop);
        admin->Execute(QStringLiteral("CREATE DATABASE ") + databaseName);
        QUrl url(server);
        url.setPath(QLatin1Char('/') + databaseName);
        run(QStringLiteral("PostgreSQL"), url.toString(), false);
        admin->Execute(drop);
    } catch (const std::exception &e) {
        QTextStream(stdout) << "failed: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
