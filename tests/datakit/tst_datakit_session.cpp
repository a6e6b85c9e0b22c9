// The edges of a PostgreSQL session: an open that fails says why in Chinese, the server's notices
// stay off standard error, and the demo host says a failed open once, on one line.
#include "DataKitTestUtil.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QUrl>

#include <unistd.h>

namespace {

QUrl serverUrl()
{
    return QUrl(qEnvironmentVariable("KVDIGEST_PG_URL",
                                     QStringLiteral("postgresql://postgres@127.0.0.1/postgres")));
}

// When the server last read its rules, as a new session sees it.
QString rulesLoadTime()
{
    return DataKit::Database::open(serverUrl().toString())
        ->OpenRecordset(QStringLiteral("SELECT pg_conf_load_time()::text"), DataKit::dbOpenSnapshot)
        ->Fields(0)
        .toString();
}

// The private cluster trusts loopback: one role is made to give its password, or is gone again.
void passwordRole(DataKit::Database &admin, bool present)
{
    const QString rules = QStringLiteral("pg_read_file(current_setting('hba_file'))");
    admin.Execute(QStringLiteral("DROP ROLE IF EXISTS kvtest_pw"));
    if (present)
        admin.Execute(QStringLiteral("CREATE ROLE kvtest_pw LOGIN PASSWORD 'kv-right'"));
    admin.Execute(
        QStringLiteral("DO $$DECLARE o oid; BEGIN o := lo_from_bytea(0, convert_to(%1, 'UTF8')); "
                       "PERFORM lo_export(o, current_setting('hba_file')); PERFORM lo_unlink(o); "
                       "PERFORM pg_reload_conf(); END$$")
            .arg(present ? "'host all kvtest_pw 127.0.0.1/32 scram-sha-256' || chr(10) || " + rules
                         : "regexp_replace(" + rules + ", '^host all kvtest_pw [^\\n]*\\n', '')"));
}

} // namespace

class TstDataKitSession : public QObject
{
    Q_OBJECT

private slots:
    void openFailureSaysWhy_data();
    void openFailureSaysWhy();
    void noticesStayOffStandardError();
    void hostSaysAFailedOpenOnce();
};

void TstDataKitSession::openFailureSaysWhy_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("reason");
    QTest::newRow("nobody listens") << "postgres"
                                    << ""
                                    << "postgres" << 1 << "数据库服务器没有响应。";
    QTest::newRow("no such database") << "postgres"
                                      << ""
                                      << "kvtest_no_such_db" << 0 << "数据库不存在。";
    QTest::newRow("no such role") << "kvtest_no_such_role"
                                  << ""
                                  << "postgres" << 0
                                  << "用户（角色）不存在，或不允许以此方式登录。";
    QTest::newRow("wrong password") << "kvtest_pw"
                                    << "kv-wrong"
                                    << "postgres" << 0 << "密码不正确，身份验证失败。";
}

void TstDataKitSession::openFailureSaysWhy()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, database);
    QFETCH(int, port);
    QFETCH(QString, reason);
    if (port == 0 && !kvtest::usingPostgres())
        QSKIP("needs the PostgreSQL server");
    std::shared_ptr<DataKit::Database> admin;
    const auto restore = qScopeGuard([&admin] {
        if (admin)
            passwordRole(*admin, false);
    });
    if (!password.isEmpty()) {
        const QString before = rulesLoadTime();
        admin = DataKit::Database::open(serverUrl().toString());
        passwordRole(*admin, true);
        QTRY_VERIFY_WITH_TIMEOUT(rulesLoadTime() != before, 20000);
    }
    QUrl url = serverUrl();
    url.setUserName(user);
    url.setPassword(password);
    url.setPath(QLatin1Char('/') + database);
    if (port)
        url.setPort(port);
    try {
        DataKit::Database::open(url.toString());
        QFAIL("opened");
    } catch (const DataKit::Error &error) {
        QCOMPARE(error.number(), long(DataKit::errCannotOpen));
        QCOMPARE(error.description(), QStringLiteral("不能打开数据库“%1”：%2")
                                          .arg(url.toDisplayString(QUrl::RemovePassword), reason));
        QVERIFY(!error.detail().isEmpty());
    }
}

// A warning the server sends goes to the kit's log, and libpq prints nothing of its own.
void TstDataKitSession::noticesStayOffStandardError()
{
    if (!kvtest::usingPostgres())
        QSKIP("PostgreSQL only");
    static QStringList logged;
    QLoggingCategory::setFilterRules(QStringLiteral("kvdigest.datakit.warning=true"));
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &message) {
            if (qstrcmp(context.category, "kvdigest.datakit") == 0)
                logged << message;
        });
    QTemporaryFile captured;
    QVERIFY(captured.open());
    const int standardError = dup(STDERR_FILENO);
    dup2(captured.handle(), STDERR_FILENO);
    kvtest::freshDatabase()->Execute(
        QStringLiteral("DO $$BEGIN RAISE WARNING 'kvtest notice'; END$$"));
    dup2(standardError, STDERR_FILENO);
    close(standardError);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(captured.readAll(), QByteArray());
    QCOMPARE(logged, QStringList{"WARNING:  kvtest notice"});
}

void TstDataKitSession::hostSaysAFailedOpenOnce()
{
    const QString address = QStringLiteral("postgresql://kv@127.0.0.1:1/books");
    QProcess host;
    host.start(QStringLiteral(KVDIGEST_BIN), {"export", "out.csv", "--database", address});
    QVERIFY(host.waitForFinished(60000));
    QCOMPARE(host.exitCode(), 3);
    QCOMPARE(QString::fromLocal8Bit(host.readAllStandardError()),
             QStringLiteral("kvdigest: 不能打开数据库“%1”：数据库服务器没有响应。\n").arg(address));
}

KV_TEST_MAIN(TstDataKitSession)
#include "tst_datakit_session.moc"
