// DataKit when things go wrong: a lost connection, refusals inside a transaction, an Edit after
// another user's change, a deletion that found nothing, and the engines' failures in the user's
// language.
#include "DataKitTestUtil.h"

#include <QRegularExpression>

using DataKit::Database;
using DataKit::dbOpenDynaset;
using kvtest::storedSummary;

class TstDataKitFaults : public QObject
{
    Q_OBJECT

private slots:
    void lostConnectionIsOpenedAgain();
    void lostConnectionDuringEdit();
    void refusalsInATransactionLeaveNothingBehind();
    void editReadsTheLockedRecord();
    void executeAnswersRowsAffected();
    void aRowTheEngineCannotProduceIsAnError();
    void engineFailuresInTheUsersLanguage_data();
    void engineFailuresInTheUsersLanguage();
};

void TstDataKitFaults::lostConnectionIsOpenedAgain()
{
    auto db = kvtest::hostDatabase();
    kvtest::loseConnections();
    // The operation that meets the loss reports it; it does not quietly open a read-only listing.
    KV_EXPECT_ERROR(db->OpenRecordset(kListing, dbOpenDynaset), DataKit::errConnectionLost);
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    QVERIFY(rs->isUpdatable());
    rs->Edit();
    rs->Collect(QStringLiteral("ctext"), QStringLiteral("重新连接后"));
    rs->Update();
    QCOMPARE(storedSummary(*db, QStringLiteral("01")), QStringLiteral("01|重新连接后|SDHK|1122"));
    // The new link has the session settings of the first one.
    const QString setting = db->isPostgres() ? QStringLiteral("SHOW lock_timeout")
                                             : QStringLiteral("PRAGMA foreign_keys");
    QCOMPARE(db->OpenRecordset(setting, DataKit::dbOpenSnapshot)->Fields(0).toString(),
             db->isPostgres() ? QStringLiteral("1500ms") : QStringLiteral("1"));
    if (db->isPostgres())
        return;
    // An SQLite file taken away is not made again empty: each operation reports it until the
    // file is back.
    const QString path = kvtest::currentTarget();
    QVERIFY(QFile::rename(path, path + QStringLiteral(".away")));
    KV_EXPECT_ERROR(db->Execute(QStringLiteral("delete from GL_bDigest")),
                    DataKit::errConnectionLost);
    KV_EXPECT_ERROR(db->Execute(QStringLiteral("delete from GL_bDigest")),
                    DataKit::errConnectionLost);
    QVERIFY(!QFile::exists(path));
    QVERIFY(QFile::rename(path + QStringLiteral(".away"), path));
    QCOMPARE(db->Execute(QStringLiteral("delete from GL_bDigest where cId='32'")), 1L);
}

void TstDataKitFaults::lostConnectionDuringEdit()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->Edit();
    rs->Collect(QStringLiteral("ctext"), QStringLiteral("断线时的修改"));
    kvtest::loseConnections();
    QVERIFY_THROWS_EXCEPTION(DataKit::Error, rs->Update());
    rs->CancelUpdate();
    QCOMPARE(storedSummary(*db, QStringLiteral("01")), QStringLiteral("01|收到货款|SDHK|1122"));
    rs->Requery();
    rs->Edit();
    rs->Collect(QStringLiteral("ctext"), QStringLiteral("再次修改"));
    rs->Update();
    // No lock is left behind for the other user.
    kvtest::anotherConnection()->Execute(QStringLiteral("update GL_bDigest set chelp='X'"));
    QCOMPARE(storedSummary(*db, QStringLiteral("01")), QStringLiteral("01|再次修改|X|1122"));
}

void TstDataKitFaults::refusalsInATransactionLeaveNothingBehind()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("Unable to free statement")));
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    for (int i = 0; i < 50; ++i) {
        rs->Edit();
        rs->Collect(QStringLiteral("cID"), QStringLiteral("02"));
        KV_EXPECT_ERROR(rs->Update(), DataKit::errDuplicate);
        rs->CancelUpdate();
    }
    if (db->isPostgres()) {
        auto left = db->OpenRecordset(QStringLiteral("SELECT count(*) FROM pg_prepared_statements"),
                                      DataKit::dbOpenSnapshot);
        QCOMPARE(left->Fields(0).toInt(), 0);
    }
    kvtest::anotherConnection()->Execute(QStringLiteral("update GL_bDigest set chelp='X'"));
}

void TstDataKitFaults::editReadsTheLockedRecord()
{
    // Two users add one to the same record in turns, each from a recordset read before the
    // other's change: with Edit reading the record it locks, no increment is lost.
    auto db = kvtest::hostDatabase();
    auto other = kvtest::anotherConnection();
    auto mine = db->OpenRecordset(kListing, dbOpenDynaset);
    auto theirs = other->OpenRecordset(kListing, dbOpenDynaset);
    for (int i = 0; i < 6; ++i) {
        auto &rs = i % 2 ? theirs : mine;
        rs->Edit();
        const int count = rs->Fields(QStringLiteral("chelp")).toString().size();
        rs->Collect(QStringLiteral("chelp"), QString(count + 1, QLatin1Char('I')));
        rs->Update();
    }
    QCOMPARE(storedSummary(*db, QStringLiteral("01")),
             QStringLiteral("01|收到货款|IIIIIIIIII|1122"));
}

void TstDataKitFaults::executeAnswersRowsAffected()
{
    auto db = kvtest::hostDatabase();
    QCOMPARE(db->Execute(QStringLiteral("update GL_bDigest set chelp='X' where cId>'29'")), 3L);
    QCOMPARE(db->Execute(QStringLiteral(" delete from GL_bDigest where cId='31'")), 1L);
    QCOMPARE(db->Execute(QStringLiteral(" delete from GL_bDigest where cId='31'")), 0L);
    QCOMPARE(db->Execute(QStringLiteral("select cId from GL_bDigest")), 0L);
}

void TstDataKitFaults::aRowTheEngineCannotProduceIsAnError()
{
    auto db = kvtest::hostDatabase();
    kvtest::chartAsView(*db);
    auto accounts = db->OpenRecordset(kAccounts, dbOpenDynaset);
    const long count = accounts->RecordCount();
    kvtest::addUnreadableAccount(*db);
    // Not a shorter list: the read fails.
    QVERIFY_THROWS_EXCEPTION(DataKit::Error, accounts->Requery());
    QCOMPARE(accounts->RecordCount(), count);
    QVERIFY_THROWS_EXCEPTION(DataKit::Error, db->OpenRecordset(kAccounts, dbOpenDynaset));
    QCOMPARE(db->OpenRecordset(kListing, dbOpenDynaset)->RecordCount(), 32L);
}

void TstDataKitFaults::engineFailuresInTheUsersLanguage_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<long>("number");
    const bool pg = kvtest::usingPostgres();
    QTest::newRow("read-only") << (pg ? QStringLiteral("SET default_transaction_read_only = on")
                                      : QStringLiteral("PRAGMA query_only = ON"))
                               << QStringLiteral("delete from Code")
                               << long(DataKit::errNotUpdatable);
    QTest::newRow("type") << QStringLiteral("create table kv_t (n integer primary key)")
                          << QStringLiteral("insert into kv_t (n) values ('abc')")
                          << long(DataKit::errTypeMismatch);
    QTest::newRow("null") << QStringLiteral("create table kv_t (n integer not null)")
                          << QStringLiteral("insert into kv_t (n) values (null)")
                          << long(DataKit::errNullNotAllowed);
    QTest::newRow("check") << QStringLiteral("create table kv_t (n integer check (n > 0))")
                           << QStringLiteral("insert into kv_t (n) values (0)")
                           << long(DataKit::errValidationRule);
}

void TstDataKitFaults::engineFailuresInTheUsersLanguage()
{
    QFETCH(QString, setup);
    QFETCH(QString, statement);
    QFETCH(long, number);
    auto db = kvtest::hostDatabase(false);
    if (!setup.isEmpty())
        db->Execute(setup);
    try {
        db->Execute(statement);
        QFAIL("the engine accepted the statement");
    } catch (const DataKit::Error &e) {
        QCOMPARE(e.number(), number);
        // The engine's English stays out of what the user reads, and is kept for diagnosis.
        QVERIFY2(!e.description().contains(QRegularExpression(QStringLiteral("[a-z]{3}"))),
                 qPrintable(e.description()));
        QVERIFY(!e.description().isEmpty());
        QVERIFY2(e.detail().contains(QRegularExpression(QStringLiteral("[a-z]{3}"))),
                 qPrintable(e.detail()));
    }
}

KV_TEST_MAIN(TstDataKitFaults)
#include "tst_datakit_faults.moc"
