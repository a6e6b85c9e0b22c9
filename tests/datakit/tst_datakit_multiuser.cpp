// DataKit with another user on a second real connection: deletions behind our back, row locks,
// tables held exclusively, and Requery seeing the other user's changes.
#include "DataKitTestUtil.h"

using DataKit::Database;
using DataKit::dbOpenDynaset;
using DataKit::dbOpenSnapshot;
using kvtest::countRows;
using kvtest::currentId;
using kvtest::storedSummary;

class TstDataKitMultiUser : public QObject
{
    Q_OBJECT

private slots:
    void editOfRowDeletedByOther();
    void updateOfRowDeletedByOther();
    void editOfRowLockedByOther();
    void lockRefusalEndsCallersTransaction();
    void rowInEditIsLockedForOther();
    void writeWhileOtherHoldsLock();
    void openWhileTableHeldExclusively();
    void requeryLosesRowDeletedByOther();
    void requerySeesOthersChanges();
};

namespace {

// The other user holds the summary row 05 locked: PostgreSQL BEGIN + SELECT ... FOR UPDATE;
// SQLite has no row locks, the other user holds the write lock (BEGIN IMMEDIATE).
void holdRowLock(Database &other)
{
    if (other.isPostgres()) {
        other.Execute(QStringLiteral("BEGIN"));
        other.Execute(QStringLiteral("SELECT cId FROM GL_bDigest WHERE cId='05' FOR UPDATE"));
    } else {
        other.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    }
}

// The other user holds the table exclusively.
void holdTableExclusively(Database &other)
{
    if (other.isPostgres()) {
        other.Execute(QStringLiteral("BEGIN"));
        other.Execute(QStringLiteral("LOCK TABLE gl_bdigest IN ACCESS EXCLUSIVE MODE"));
    } else {
        other.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
        other.Execute(QStringLiteral("update GL_bDigest set chelp=chelp where cId='01'"));
    }
}

} // namespace

void TstDataKitMultiUser::editOfRowDeletedByOther()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='20'"));
    auto other = kvtest::anotherConnection();
    other->Execute(QStringLiteral("delete from GL_bDigest where cId='20'"));
    KV_EXPECT_ERROR(rs->Edit(), DataKit::errDeletedByOther);
    rs->CancelUpdate();
    // Nothing was recreated, and the connection is free (no transaction left open).
    QCOMPARE(storedSummary(*db, QStringLiteral("20")), QStringLiteral("<none>"));
    other->Execute(QStringLiteral("update GL_bDigest set chelp='Z' where cId='21'"));
}

void TstDataKitMultiUser::updateOfRowDeletedByOther()
{
    // The lock is gone after a failed Update; another user deletes the row; the retried Update
    // finds no row for the record's key.
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='30'"));
    rs->Edit();
    rs->Collect(QStringLiteral("cID"), QStringLiteral("31")); // duplicate: refused
    KV_EXPECT_ERROR(rs->Update(), DataKit::errDuplicate);
    auto other = kvtest::anotherConnection();
    other->Execute(QStringLiteral("delete from GL_bDigest where cId='30'"));
    rs->Collect(QStringLiteral("cID"), QStringLiteral("39"));
    KV_EXPECT_ERROR(rs->Update(), DataKit::errDeletedByOther);
    rs->CancelUpdate();
    QCOMPARE(storedSummary(*db, QStringLiteral("39")), QStringLiteral("<none>"));
    QCOMPARE(countRows(*db, QStringLiteral("GL_bDigest")), 31L);
}

void TstDataKitMultiUser::editOfRowLockedByOther()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='05'"));
    auto other = kvtest::anotherConnection();
    holdRowLock(*other);
    // Refused while the other user still holds the row: the kit does not wait for the lock (a
    // wait would hang here until CTest's time-out).
    KV_EXPECT_ERROR(rs->Edit(), DataKit::errLockedByOther);
    // Our connection is still usable (an aborted PostgreSQL transaction was rolled back).
    rs->Requery(-1);
    QCOMPARE(currentId(*rs), QStringLiteral("05"));
    other->Execute(QStringLiteral("ROLLBACK"));
    // Free again: the edit goes through.
    rs->Edit();
    rs->Collect(QStringLiteral("ctext"), QStringLiteral("报销差旅费用"));
    rs->Update();
    QCOMPARE(storedSummary(*other, QStringLiteral("05")),
             QStringLiteral("05|报销差旅费用|BXCLF|6602"));
}

// PostgreSQL: a refused row lock aborts the transaction around it. The kit rolls it back; the
// caller's CommitTrans then says nothing was committed, and its Rollback is allowed.
void TstDataKitMultiUser::lockRefusalEndsCallersTransaction()
{
    auto db = kvtest::hostDatabase();
    if (!db->isPostgres())
        QSKIP("SQLite's writer takes the whole database at BeginTrans");
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    auto other = kvtest::anotherConnection();
    holdRowLock(*other);
    for (const bool commit : {true, false}) {
        db->BeginTrans();
        rs->FindFirst(QStringLiteral("cId='05'"));
        KV_EXPECT_ERROR(rs->Edit(), DataKit::errLockedByOther);
        if (commit)
            KV_EXPECT_ERROR(db->CommitTrans(), DataKit::errNoTransaction);
        else
            db->Rollback();
        KV_EXPECT_ERROR(db->Rollback(), DataKit::errNoTransaction);
    }
}

void TstDataKitMultiUser::rowInEditIsLockedForOther()
{
    // Pessimistic locking for real: while we edit, the other user cannot change or delete it.
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='06'"));
    rs->Edit();
    auto other = kvtest::anotherConnection();
    KV_EXPECT_ERROR(other->Execute(QStringLiteral("delete from GL_bDigest where cId='06'")),
                    DataKit::errLockedByOther);
    auto theirs = other->OpenRecordset(kListing, dbOpenDynaset);
    theirs->FindFirst(QStringLiteral("cId='06'"));
    KV_EXPECT_ERROR(theirs->Edit(), DataKit::errLockedByOther);
    // Update releases the lock.
    rs->Collect(QStringLiteral("chelp"), QStringLiteral("BXBG"));
    rs->Update();
    theirs->Edit();
    theirs->Collect(QStringLiteral("ctext"), QStringLiteral("报销办公用品"));
    theirs->Update();
    QCOMPARE(storedSummary(*db, QStringLiteral("06")), QStringLiteral("06|报销办公用品|BXBG|6602"));
}

void TstDataKitMultiUser::writeWhileOtherHoldsLock()
{
    auto db = kvtest::hostDatabase();
    auto other = kvtest::anotherConnection();
    holdRowLock(*other);
    KV_EXPECT_ERROR(db->Execute(QStringLiteral("update GL_bDigest set chelp='Q' where cId='05'")),
                    DataKit::errLockedByOther);
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset); // reading is not blocked
    QCOMPARE(rs->RecordCount(), 32L);
    other->Execute(QStringLiteral("ROLLBACK"));
    db->Execute(QStringLiteral("update GL_bDigest set chelp='Q' where cId='05'"));
    QCOMPARE(storedSummary(*other, QStringLiteral("05")), QStringLiteral("05|报销差旅费|Q|6602"));
}

void TstDataKitMultiUser::openWhileTableHeldExclusively()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    auto other = kvtest::anotherConnection();
    holdTableExclusively(*other);
    // Each refusal comes while the table is still held: the waits are short and bounded.
    KV_EXPECT_ERROR(db->OpenRecordset(kListing, dbOpenDynaset), DataKit::errHeldExclusively);
    KV_EXPECT_ERROR(db->OpenRecordset(kListing, dbOpenSnapshot), DataKit::errHeldExclusively);
    // Requery reads nothing yet: the refusal comes with the first read after it.
    rs->Requery(-1);
    KV_EXPECT_ERROR(rs->Fields(0), DataKit::errHeldExclusively);
    other->Execute(QStringLiteral("ROLLBACK"));
    auto again = db->OpenRecordset(kListing, dbOpenDynaset);
    QCOMPARE(again->RecordCount(), 32L);
    rs->Requery(-1);
    QCOMPARE(currentId(*rs), QStringLiteral("01"));
}

void TstDataKitMultiUser::requeryLosesRowDeletedByOther()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='12'"));
    auto other = kvtest::anotherConnection();
    other->Execute(QStringLiteral("delete from GL_bDigest where cId='12'"));
    rs->Requery(-1);
    QVERIFY(rs->isBOF() || rs->isEOF()); // no current record
    KV_EXPECT_ERROR(rs->Fields(0), DataKit::errNoCurrentRecord);
    QCOMPARE(rs->RecordCount(), 31L);
    rs->FindFirst(QStringLiteral("cId='12'"));
    QVERIFY(rs->NoMatch());
    rs->FindFirst(QStringLiteral("cId='13'"));
    QVERIFY(!rs->NoMatch());
    rs->MovePrevious();
    QCOMPARE(currentId(*rs), QStringLiteral("11"));
}

void TstDataKitMultiUser::requerySeesOthersChanges()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    auto accounts = db->OpenRecordset(kAccounts, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='07'"));
    auto other = kvtest::anotherConnection();
    other->Execute(QStringLiteral(
        "insert into GL_bDigest (cId, cText, cCode) values ('065', '新摘要', '6602')"));
    other->Execute(QStringLiteral("update GL_bDigest set cText='支付水费' where cId='07'"));
    other->Execute(
        QStringLiteral("insert into Code (cCode, cCode_Name) values ('9999', '测试科目')"));
    // The count is taken when first asked for, and kept until the next Requery.
    QCOMPARE(rs->RecordCount(), 33L);
    other->Execute(QStringLiteral("delete from GL_bDigest where cId='08'"));
    QCOMPARE(rs->RecordCount(), 33L);
    rs->Requery(-1);
    QCOMPARE(rs->RecordCount(), 32L);
    other->Execute(QStringLiteral(
        "insert into GL_bDigest (cId, cText, cCode) values ('08', '报销差旅费', '6602')"));
    QCOMPARE(currentId(*rs), QStringLiteral("07"));
    QCOMPARE(rs->Fields(QStringLiteral("ctext")).toString(), QStringLiteral("支付水费"));
    rs->MovePrevious();
    QCOMPARE(currentId(*rs), QStringLiteral("065"));
    QCOMPARE(rs->Fields(QStringLiteral("cCode_Name")).toString(), QStringLiteral("管理费用"));
    accounts->Requery(-1);
    QCOMPARE(accounts->RecordCount(), 23L);
    accounts->FindFirst(QStringLiteral("cCode='9999'"));
    QVERIFY(!accounts->NoMatch());
}

KV_TEST_MAIN(TstDataKitMultiUser)
#include "tst_datakit_multiuser.moc"
