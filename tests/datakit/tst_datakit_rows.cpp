// DataKit writing many rows of a table at once (LockRows, UpdateRows, InsertRows), and an Edit
// whose lock goes to the database with its Update (setLockEdits(false)): what they store, what they
// refuse, and that a refusal leaves the stored data as it was and nothing held.
#include "DataKitTestUtil.h"
#include "OtherUser.h"

using DataKit::Database;
using kvtest::countRows;
using kvtest::storedSummary;

namespace {

const QString kTable = QStringLiteral("GL_bDigest");
const QStringList kColumns = {"cID", "ctext", "chelp", "cCode"};

QString joined(const QVariantList &values)
{
    QStringList cells;
    for (const QVariant &value : values)
        cells.append(value.isNull() ? QStringLiteral("<null>") : value.toString());
    return cells.join(QLatin1Char('|'));
}

} // namespace

class TstDataKitRows : public QObject
{
    Q_OBJECT

private slots:
    void manyRowsAtOnce();
    void manyRowsRefused_data();
    void manyRowsRefused();
    void lockTakenWithTheUpdate_data();
    void lockTakenWithTheUpdate();
};

// The rows locked are read as stored and held until the transaction ends; texts that COPY's text
// format reads specially are stored as they are, Null as Null and an empty text as empty.
void TstDataKitRows::manyRowsAtOnce()
{
    auto db = kvtest::hostDatabase();
    kvtest::OtherUser other;
    db->BeginTrans();
    QStringList locked;
    db->LockRows(kTable, kColumns, {"05", "99", "01"},
                 [&](const QVariantList &values) { locked.append(joined(values)); });
    locked.sort();
    QCOMPARE(locked, (QStringList{"01|收到货款|SDHK|1122", "05|报销差旅费|BXCLF|6602"}));
    KV_EXPECT_ERROR(
        other->Execute(QStringLiteral("update GL_bDigest set chelp='X' where cId='05'")),
        DataKit::errLockedByOther);
    const QString hostile = QStringLiteral("a\\b\tc\\N\r\nd'e");
    QCOMPARE(db->UpdateRows(kTable, kColumns,
                            {{"01", hostile, QVariant(), "1002"}, {"05", "\\N", "N", QVariant()}}),
             2L);
    QCOMPARE(db->InsertRows(kTable, kColumns,
                            {{"60", hostile, "", QVariant()}, {"61", "新增", "XZ", "1002"}}),
             2L);
    db->CommitTrans();
    QCOMPARE(storedSummary(*other, "01"), "01|" + hostile + "|<null>|1002");
    QCOMPARE(storedSummary(*other, "05"), QStringLiteral("05|\\N|N|<null>"));
    QCOMPARE(storedSummary(*other, "60"), "60|" + hostile + "||<null>");
    QCOMPARE(countRows(*other, kTable), 34L);
}

void TstDataKitRows::manyRowsRefused_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QVariantList>("row");
    QTest::addColumn<bool>("inTransaction");
    QTest::addColumn<long>("error");
    const QVariant null;
    QTest::newRow("a row another user holds")
        << "lock" << kColumns << QVariantList{"05"} << true << long(DataKit::errLockedByOther);
    QTest::newRow("a key stored already")
        << "insert" << kColumns << QVariantList{"01", "重复", "CF", null} << true
        << long(DataKit::errDuplicate);
    QTest::newRow("a value too long")
        << "update" << kColumns << QVariantList{"01", QString(61, QChar(u'长')), "SDHK", "1122"}
        << true << long(DataKit::errFieldTooLong);
    QTest::newRow("a column the table has not")
        << "update" << QStringList{"cID", "cNote"} << QVariantList{"01", "备注"} << true << 3265L;
    QTest::newRow("the key not first")
        << "update" << QStringList{"ctext", "cID"} << QVariantList{"收到", "01"} << true
        << long(DataKit::errNotUpdatable);
    QTest::newRow("outside a transaction")
        << "insert" << kColumns << QVariantList{"61", "新增", "XZ", null} << false
        << long(DataKit::errNoTransaction);
}

void TstDataKitRows::manyRowsRefused()
{
    QFETCH(QString, call);
    QFETCH(QStringList, columns);
    QFETCH(QVariantList, row);
    QFETCH(bool, inTransaction);
    QFETCH(long, error);
    auto db = kvtest::hostDatabase();
    kvtest::OtherUser other;
    if (error == DataKit::errLockedByOther) {
        if (!db->isPostgres())
            QSKIP("SQLite's other user holds the whole database: BeginTrans is refused already");
        other.holdRow(row.first().toString());
    }
    if (inTransaction)
        db->BeginTrans();
    if (call == QLatin1String("lock"))
        KV_EXPECT_ERROR(db->LockRows(kTable, columns, row, [](const QVariantList &) {}), error);
    else if (call == QLatin1String("update"))
        KV_EXPECT_ERROR(db->UpdateRows(kTable, columns, {row}), error);
    else
        KV_EXPECT_ERROR(db->InsertRows(kTable, columns, {row}), error);
    // Whether the kit ended the transaction or refused before sending anything, it is the
    // caller's to close, and nothing of it is stored.
    if (inTransaction)
        db->Rollback();
    other.release();
    QCOMPARE(storedSummary(*other, "01"), QStringLiteral("01|收到货款|SDHK|1122"));
    QCOMPARE(countRows(*other, kTable), 32L);
    other->Execute(QStringLiteral("update GL_bDigest set chelp='X' where cId='01'"));
}

void TstDataKitRows::lockTakenWithTheUpdate_data()
{
    QTest::addColumn<QString>("meanwhile"); // what the other user does between Edit and Update
    QTest::addColumn<QString>("text");      // collected; none when empty
    QTest::addColumn<long>("error");
    QTest::addColumn<QString>("stored");
    const QString unchanged = QStringLiteral("20|银行手续费|YHSXF|6603");
    const QString tooLong(61, QChar(u'长'));
    QTest::newRow("free") << ""
                          << "银行手续费用" << 0L << "20|银行手续费用|YHSXF|6603";
    QTest::newRow("changed by another user") << "update GL_bDigest set chelp='YH' where cId='20'"
                                             << "银行手续费用" << 0L << "20|银行手续费用|YH|6603";
    QTest::newRow("held by another user")
        << "hold"
        << "银行手续费用" << long(DataKit::errLockedByOther) << unchanged;
    QTest::newRow("deleted by another user")
        << "delete from GL_bDigest where cId='20'"
        << "银行手续费用" << long(DataKit::errDeletedByOther) << "<none>";
    QTest::newRow("too long") << "" << tooLong << long(DataKit::errFieldTooLong) << unchanged;
    QTest::newRow("too long, and held")
        << "hold" << tooLong << long(DataKit::errLockedByOther) << unchanged;
    QTest::newRow("nothing collected, deleted")
        << "delete from GL_bDigest where cId='20'"
        << "" << long(DataKit::errDeletedByOther) << "<none>";
}

// Edit only marks the record; Update refuses what Edit would have refused, in the same order, and
// writes only what was collected over what is stored then.
void TstDataKitRows::lockTakenWithTheUpdate()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, text);
    QFETCH(long, error);
    QFETCH(QString, stored);
    auto db = kvtest::hostDatabase();
    kvtest::OtherUser other;
    auto rs = db->OpenRecordset(kListing, DataKit::dbOpenDynaset);
    rs->setLockEdits(false);
    rs->FindFirst(QStringLiteral("cId='20'"));
    rs->Edit();
    if (meanwhile == QLatin1String("hold"))
        other.holdRow(QStringLiteral("20"));
    else if (!meanwhile.isEmpty())
        other->Execute(meanwhile);
    if (!text.isEmpty())
        rs->Collect(QStringLiteral("ctext"), text);
    KV_EXPECT_ERROR(rs->Update(), error);
    rs->CancelUpdate();
    other.release();
    QCOMPARE(storedSummary(*other, "20"), stored);
    // Nothing is left held for the other user.
    other->Execute(QStringLiteral("update GL_bDigest set chelp='X' where cId='21'"));
}

KV_TEST_MAIN(TstDataKitRows)
#include "tst_datakit_rows.moc"
