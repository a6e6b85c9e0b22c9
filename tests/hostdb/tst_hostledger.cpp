// The demo host opening its ledger: the host's tables are made only in a database that has none
// of them, in one go; any other state is a message and nothing made; a password never shows.
#include "BrowserHarness.h"
#include "Database.h"
#include "HostLedger.h"
#include "HostSchema.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "OtherUser.h"
#include "QXDigest.h"
#include "Recordset.h"
#include "TestDatabase.h"

#include <QTemporaryFile>
#include <QUrl>

namespace {

QStringList missing()
{
    return HostSchema::missingTables(*kvtest::anotherConnection());
}

} // namespace

class tst_HostLedger : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void makesTheLedgerOnlyWhereNoneOfItsTablesIs_data();
    void makesTheLedgerOnlyWhereNoneOfItsTablesIs();
    void aFailedMakingLeavesNothing();
    void aLedgerHeldExclusivelyReachesTheComponentsMessage();
    void passwordsNeverShowAndLibpqFindsWhatTheAddressLeavesOut();
};

void tst_HostLedger::cleanup()
{
    kvtest::releaseComponent();
    KV_VERIFY_NOTHING_LEFT();
}

void tst_HostLedger::makesTheLedgerOnlyWhereNoneOfItsTablesIs_data()
{
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QStringList>("missingAfter");
    QTest::newRow("empty") << QStringList() << false << QStringList();
    QTest::newRow("without voucher lines")
        << QStringList{"Code", "GL_bDigest"} << false << QStringList{"GL_VoucherLine"};
    QTest::newRow("accounts only")
        << QStringList{"Code"} << true << QStringList{"GL_bDigest", "GL_VoucherLine"};
}

void tst_HostLedger::makesTheLedgerOnlyWhereNoneOfItsTablesIs()
{
    QFETCH(QStringList, made);
    QFETCH(bool, refused);
    QFETCH(QStringList, missingAfter);
    auto db = kvtest::freshDatabase();
    for (const QString &table : made)
        db->Execute(QStringLiteral("CREATE TABLE %1 (cCode VARCHAR(40), cCode_Name VARCHAR(60), "
                                   "cId VARCHAR(6) PRIMARY KEY, cText VARCHAR(60), chelp "
                                   "VARCHAR(60))")
                        .arg(table));
    const HostLedger::Opened opened = HostLedger::open(kvtest::currentTarget());
    QCOMPARE(!opened.database, refused);
    QCOMPARE(opened.problem.contains(QStringLiteral("缺少账套表 GL_bDigest、GL_VoucherLine")),
             refused);
    QCOMPARE(missing(), missingAfter);
    if (made.isEmpty())
        QCOMPARE(opened.database->OpenRecordset(QStringLiteral("Select cId From GL_bDigest"))
                     ->RecordCount(),
                 32L);
}

void tst_HostLedger::aFailedMakingLeavesNothing()
{
    // An index already bears the voucher lines' name: making that table fails after the first two
    // were made.
    auto db = kvtest::freshDatabase();
    db->Execute(QStringLiteral("CREATE TABLE kv_other (x INTEGER)"));
    db->Execute(QStringLiteral("CREATE INDEX GL_VoucherLine ON kv_other (x)"));
    const HostLedger::Opened opened = HostLedger::open(kvtest::currentTarget());
    QVERIFY(!opened.database);
    QVERIFY2(opened.problem.startsWith(QStringLiteral("不能在数据库")), qPrintable(opened.problem));
    QCOMPARE(missing(), HostSchema::tables());
}

void tst_HostLedger::aLedgerHeldExclusivelyReachesTheComponentsMessage()
{
    kvtest::hostDatabase();
    kvtest::OtherUser other;
    other.holdTable();
    const HostLedger::Opened opened = HostLedger::open(kvtest::currentTarget());
    QVERIFY2(opened.database, qPrintable(opened.problem));
    kvtest::ModalDriver modal;
    modal.expectMessage(QStringLiteral("别的用户以独占方式打开数据库，不能打开表！常用摘要"),
                        QMessageBox::Critical);
    QXDigest digest;
    QVERIFY(!digest.Init(opened.database, false));
    KV_VERIFY_MODALS(modal);
}

void tst_HostLedger::passwordsNeverShowAndLibpqFindsWhatTheAddressLeavesOut()
{
    const QString secret = QStringLiteral("s3cret-Pw");
    const QString unreachable =
        QStringLiteral("postgresql://ledger:%1@127.0.0.1:1/books").arg(secret);
    QCOMPARE(HostLedger::shownTarget(unreachable),
             QStringLiteral("postgresql://ledger@127.0.0.1:1/books"));
    const HostLedger::Opened opened = HostLedger::open(unreachable);
    QVERIFY(!opened.database);
    QVERIFY(opened.problem.contains(QStringLiteral("ledger@127.0.0.1:1/books")));
    QVERIFY(!opened.problem.contains(secret));
    if (!kvtest::usingPostgres())
        return;
    // An address without host, port or database: libpq takes them from the service file.
    kvtest::freshDatabase();
    const QUrl server(kvtest::currentTarget());
    QTemporaryFile services;
    QVERIFY(services.open());
    services.write(QStringLiteral("[kvtest]\nhost=%1\nport=%2\ndbname=%3\nuser=%4\n")
                       .arg(server.host())
                       .arg(server.port())
                       .arg(server.path().mid(1), server.userName())
                       .toUtf8());
    services.close();
    qputenv("PGSERVICEFILE", services.fileName().toLocal8Bit());
    for (const QString &address :
         {QStringLiteral("postgresql://?service=kvtest"), QStringLiteral("postgresql://")}) {
        qputenv("PGSERVICE", "kvtest");
        auto db = DataKit::Database::open(address);
        QCOMPARE(
            db->OpenRecordset(QStringLiteral("SELECT current_database()"))->Fields(0).toString(),
            server.path().mid(1));
    }
    qunsetenv("PGSERVICE");
    qunsetenv("PGSERVICEFILE");
}

KV_TEST_MAIN(tst_HostLedger)
#include "tst_hostledger.moc"
