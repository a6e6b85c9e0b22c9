#include "TestDatabase.h"

#include "Database.h"
#include "HostSchema.h"
#include "Recordset.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <vector>

namespace kvtest {

namespace {

QString g_target;
int g_serial = 0;
// Everything handed out, so the next fresh database can close what a test left open.
std::vector<std::weak_ptr<DataKit::Database>> g_handedOut;

QTemporaryDir &sqliteFolder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kvdigest-test-XXXXXX"));
    return dir;
}

// Test files need no durability: no fsync per statement (locking is unchanged).
std::shared_ptr<DataKit::Database> withoutSync(std::shared_ptr<DataKit::Database> db)
{
    db->Execute(QStringLiteral("PRAGMA synchronous = OFF"));
    return db;
}

std::shared_ptr<DataKit::Database> remember(std::shared_ptr<DataKit::Database> db)
{
    g_handedOut.push_back(db);
    return db;
}

void closeHandedOut()
{
    for (const auto &weak : g_handedOut) {
        if (auto db = weak.lock())
            db->Close();
    }
    g_handedOut.clear();
}

// This executable's own database name on the server: ctest -j runs executables in parallel.
QString postgresDatabaseName()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toLower();
    if (name.isEmpty())
        name = QStringLiteral("tests");
    for (QChar &c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80))
            c = QLatin1Char('_');
    }
    return QStringLiteral("kvtest_") + name.left(50);
}

QString postgresTarget()
{
    static QString target;
    if (!target.isEmpty())
        return target;
    const QString serverUrl = qEnvironmentVariable("KVDIGEST_PG_URL");
    const QString name = postgresDatabaseName();
    auto admin = DataKit::Database::open(serverUrl);
    auto found = admin->OpenRecordset(
        QStringLiteral("SELECT datname FROM pg_database WHERE datname = '%1'").arg(name),
        DataKit::dbOpenSnapshot);
    if (found->RecordCount() == 0) {
        // Two executables creating their databases at once may briefly collide on the template.
        for (int attempt = 0;; ++attempt) {
            try {
                admin->Execute(QStringLiteral("CREATE DATABASE %1").arg(name));
                break;
            } catch (const DataKit::Error &) {
                if (attempt >= 10)
                    throw;
                QThread::msleep(200);
            }
        }
    }
    found.reset();
    admin->Close();
    QUrl url(serverUrl);
    url.setPath(QLatin1Char('/') + name);
    target = url.toString();
    return target;
}

void dropEveryTable(DataKit::Database &db)
{
    auto tables = db.OpenRecordset(
        QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = 'public'"),
        DataKit::dbOpenSnapshot);
    QStringList names;
    for (; !tables->isEOF(); tables->MoveNext())
        names.append(tables->Fields(0).toString());
    for (const QString &name : names) {
        QString quoted = name;
        quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
        db.Execute(QStringLiteral("DROP TABLE IF EXISTS \"%1\" CASCADE").arg(quoted));
    }
}

} // namespace

void prepareTestProcess()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A system directory of the process's own: the window replaces its print database each time
    // it opens, and two runs of one suite side by side must not replace each other's.
    static QTemporaryDir systemDirectory;
    if (!qEnvironmentVariableIsSet("KVDIGEST_SYSTEM_DIR"))
        qputenv("KVDIGEST_SYSTEM_DIR", systemDirectory.path().toUtf8());
}

bool usingPostgres()
{
    return qEnvironmentVariable("KVDIGEST_ENGINE")
               .compare(QLatin1String("postgres"), Qt::CaseInsensitive) == 0;
}

quint32 seedFromEnvironment(const char *variable, quint32 fallback)
{
    return qEnvironmentVariableIsSet(variable) ? quint32(qEnvironmentVariableIntValue(variable))
                                               : fallback;
}

bool postgresRequestedButAbsent()
{
    if (!usingPostgres() || !qEnvironmentVariableIsEmpty("KVDIGEST_PG_URL"))
        return false;
    QTextStream(stdout) << "SKIP: KVDIGEST_ENGINE=postgres but KVDIGEST_PG_URL names no server\n";
    return true;
}

std::shared_ptr<DataKit::Database> freshDatabase()
{
    closeHandedOut();
    if (usingPostgres()) {
        g_target = postgresTarget();
        auto db = DataKit::Database::open(g_target);
        dropEveryTable(*db);
        return remember(db);
    }
    QTemporaryDir &dir = sqliteFolder();
    g_target = dir.filePath(QStringLiteral("test-%1.sqlite").arg(++g_serial));
    return remember(withoutSync(DataKit::Database::open(g_target, true)));
}

std::shared_ptr<DataKit::Database> anotherConnection()
{
    auto db = DataKit::Database::open(g_target);
    return remember(usingPostgres() ? db : withoutSync(db));
}

int openConnections()
{
    int open = 0;
    for (const auto &weak : g_handedOut) {
        const auto db = weak.lock();
        open += db && db->isOpen();
    }
    return open;
}

QString currentTarget()
{
    return g_target;
}

void loseConnections()
{
    if (usingPostgres()) {
        auto admin = DataKit::Database::open(g_target);
        admin->Execute(
            QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                           "pid <> pg_backend_pid() AND datname = current_database()"));
        admin->Close();
        return;
    }
    const QString copy = g_target + QStringLiteral(".copy");
    QFile::remove(copy);
    QVERIFY(QFile::copy(g_target, copy));
    QVERIFY(QFile::remove(g_target));
    QVERIFY(QFile::rename(copy, g_target));
}

void chartAsView(DataKit::Database &db)
{
    db.Execute(QStringLiteral("CREATE TABLE CodeEntries (cCode VARCHAR(40) PRIMARY KEY, "
                              "cEntry VARCHAR(200))"));
    db.Execute(QStringLiteral("INSERT INTO CodeEntries SELECT cCode, '{\"name\":\"' || "
                              "cCode_Name || '\"}' FROM Code"));
    db.Execute(QStringLiteral("DROP TABLE Code"));
    db.Execute(QStringLiteral("CREATE VIEW Code AS SELECT cCode, %1 AS cCode_Name FROM CodeEntries")
                   .arg(usingPostgres() ? QStringLiteral("cEntry::json->>'name'")
                                        : QStringLiteral("json_extract(cEntry, '$.name')")));
}

void addUnreadableAccount(DataKit::Database &db)
{
    db.Execute(QStringLiteral("INSERT INTO CodeEntries VALUES ('9999', 'no name')"));
}

std::shared_ptr<DataKit::Database> hostDatabase(bool demo)
{
    auto db = freshDatabase();
    HostSchema::create(*db);
    if (demo)
        HostSchema::fillDemoData(*db);
    return db;
}

} // namespace kvtest
