// DataKit: opening, connection settings, reading, navigation, FindFirst, Filter and Requery.
#include "DataKitTestUtil.h"

#include <QFile>
#include <QTemporaryDir>

using DataKit::Database;
using DataKit::dbOpenDynaset;
using DataKit::dbOpenSnapshot;

class TstDataKit : public QObject
{
    Q_OBJECT

private slots:
    void openMissingSqliteFile();
    void openCorruptSqliteFile();
    void openUnreachableServer();
    void closedDatabaseRefuses();
    void connectionSettings();
    void syntaxErrorCarriesEngineText();

    void listingFields();
    void moveSemanticsAtBothEnds();
    void emptyRecordset();
    void fieldsWithoutCurrentRecord();

    void findFirstInRecordsetOrder();
    void findFirstNoMatchKeepsPosition();
    void findFirstOnAccountList();
    void filterTakesEffectAtRequery();
    void requeryKeepsCurrentRecord();
    void requeryAfterReadingToEnd();
    void pagedReadMatchesWholeRead();
    void rowDeletedAfterTheRequery();
};

void TstDataKit::openMissingSqliteFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nothing-here.sqlite"));
    KV_EXPECT_ERROR(Database::open(path), DataKit::errCannotOpen);
    QVERIFY(!QFile::exists(path)); // not created as a side effect
}

void TstDataKit::openCorruptSqliteFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("garbage.sqlite"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    try {
        Database::open(path);
        QFAIL("a file of garbage opened as a database");
    } catch (const DataKit::Error &e) {
        QCOMPARE(e.number(), long(DataKit::errCannotOpen));
        QVERIFY2(e.description().contains(path), qPrintable(e.description()));
    }
}

void TstDataKit::openUnreachableServer()
{
    // Port 1 on loopback: nothing listens there; the open is refused, not waited on (a server that
    // does not answer at all is given connect_timeout=5).
    KV_EXPECT_ERROR(Database::open(QStringLiteral("postgresql://postgres@127.0.0.1:1/postgres")),
                    DataKit::errCannotOpen);
}

void TstDataKit::closedDatabaseRefuses()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    QVERIFY(db->isOpen());
    db->Close();
    QVERIFY(!db->isOpen());
    KV_EXPECT_ERROR(db->OpenRecordset(kListing), DataKit::errNoDatabase);
    KV_EXPECT_ERROR(db->Execute(QStringLiteral("delete from Code")), DataKit::errNoDatabase);
    KV_EXPECT_ERROR(rs->Requery(), DataKit::errNoDatabase);
    KV_EXPECT_ERROR(rs->MoveNext(), DataKit::errNoDatabase);
    KV_EXPECT_ERROR(rs->Edit(), DataKit::errNoDatabase);
    rs->DiscardChanges(3); // harmless
}

void TstDataKit::connectionSettings()
{
    auto db = kvtest::freshDatabase();
    if (db->isPostgres()) {
        auto rs = db->OpenRecordset(QStringLiteral("SHOW lock_timeout"), dbOpenSnapshot);
        QCOMPARE(rs->Fields(0).toString(), QStringLiteral("1500ms"));
        return;
    }
    auto fk = db->OpenRecordset(QStringLiteral("PRAGMA foreign_keys"), dbOpenSnapshot);
    QCOMPARE(fk->Fields(0).toInt(), 1);
    auto busy = db->OpenRecordset(QStringLiteral("PRAGMA busy_timeout"), dbOpenSnapshot);
    QVERIFY(busy->Fields(0).toInt() > 0 && busy->Fields(0).toInt() <= 500);
    // The rollback journal: in WAL mode an exclusive hold would not block readers (no 3261).
    auto journal = db->OpenRecordset(QStringLiteral("PRAGMA journal_mode"), dbOpenSnapshot);
    QCOMPARE(journal->Fields(0).toString().toLower(), QStringLiteral("delete"));
}

void TstDataKit::syntaxErrorCarriesEngineText()
{
    auto db = kvtest::hostDatabase(false);
    try {
        db->OpenRecordset(QStringLiteral("Select nosuchcolumn From GL_bDigest"));
        QFAIL("no error");
    } catch (const DataKit::Error &e) {
        QCOMPARE(e.number(), long(DataKit::errSyntax));
        QVERIFY2(e.detail().contains(QLatin1String("nosuchcolumn"), Qt::CaseInsensitive),
                 qPrintable(e.detail()));
    }
}

void TstDataKit::listingFields()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    QVERIFY(rs->isUpdatable());
    QCOMPARE(rs->fieldCount(), 5);
    const QStringList expected = {"cId", "cText", "chelp", "cCode", "cCode_Name"};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(rs->fieldName(i).toLower(), expected.at(i).toLower());
    QCOMPARE(rs->RecordCount(), 32L);
    // Positioned on the first record; names in any case.
    QCOMPARE(rs->Fields(QStringLiteral("cID")).toString(), QStringLiteral("01"));
    QCOMPARE(rs->Fields(QStringLiteral("ctext")).toString(), QStringLiteral("收到货款"));
    QCOMPARE(rs->Fields(QStringLiteral("CCODE")).toString(), QStringLiteral("1122"));
    QCOMPARE(rs->Fields(QStringLiteral("ccode_name")).toString(), QStringLiteral("应收账款"));
    QCOMPARE(rs->Fields(4).toString(), QStringLiteral("应收账款"));
    KV_EXPECT_ERROR(rs->Fields(QStringLiteral("nosuchfield")), 3265);
    // A summary without an account: Null code and Null name.
    rs->FindFirst(QStringLiteral("cId='30'"));
    QVERIFY(!rs->NoMatch());
    QVERIFY(rs->Fields(QStringLiteral("cCode")).isNull());
    QVERIFY(rs->Fields(QStringLiteral("cCode_Name")).isNull());
}

void TstDataKit::moveSemanticsAtBothEnds()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    QVERIFY(!rs->isBOF() && !rs->isEOF());
    rs->MovePrevious(); // before the first: BOF, no current record
    QVERIFY(rs->isBOF() && !rs->isEOF());
    KV_EXPECT_ERROR(rs->Fields(0), DataKit::errNoCurrentRecord);
    KV_EXPECT_ERROR(rs->MovePrevious(), DataKit::errNoCurrentRecord);
    rs->MoveNext(); // back on the first
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("01"));
    rs->MoveLast();
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("32"));
    rs->MoveNext(); // past the last: EOF
    QVERIFY(rs->isEOF() && !rs->isBOF());
    KV_EXPECT_ERROR(rs->MoveNext(), DataKit::errNoCurrentRecord);
    rs->MovePrevious();
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("32"));
    rs->MoveFirst();
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("01"));
    // Reading all rows in order, as FillGrid does.
    QStringList ids;
    for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext())
        ids.append(kvtest::currentId(*rs));
    QCOMPARE(ids.size(), 32);
    QCOMPARE(ids.first(), QStringLiteral("01"));
    QCOMPARE(ids.last(), QStringLiteral("32"));
    QVERIFY(std::is_sorted(ids.begin(), ids.end()));
}

void TstDataKit::emptyRecordset()
{
    auto db = kvtest::hostDatabase(false);
    for (int type : {dbOpenDynaset, dbOpenSnapshot}) {
        auto rs = db->OpenRecordset(kListing, type);
        QVERIFY(rs->isBOF() && rs->isEOF());
        QCOMPARE(rs->RecordCount(), 0L);
        QCOMPARE(rs->fieldCount(), 5);
        KV_EXPECT_ERROR(rs->MoveFirst(), DataKit::errNoCurrentRecord);
        KV_EXPECT_ERROR(rs->MoveLast(), DataKit::errNoCurrentRecord);
        KV_EXPECT_ERROR(rs->MoveNext(), DataKit::errNoCurrentRecord);
        rs->FindFirst(QStringLiteral("cId='01'"));
        QVERIFY(rs->NoMatch());
        rs->Requery(-1);
        QVERIFY(rs->isBOF() && rs->isEOF());
    }
}

void TstDataKit::fieldsWithoutCurrentRecord()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenSnapshot);
    rs->MoveLast();
    rs->MoveNext();
    KV_EXPECT_ERROR(rs->Fields(QStringLiteral("cId")), DataKit::errNoCurrentRecord);
    KV_EXPECT_ERROR(rs->Fields(0), DataKit::errNoCurrentRecord);
}

void TstDataKit::findFirstInRecordsetOrder()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->MoveLast();
    // 01, 02 and 17 are about 货款: the first in the listing's order wins, wherever we stand.
    rs->FindFirst(QStringLiteral("cText like '%货款%'"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("01"));
    auto reversed = db->OpenRecordset(
        QStringLiteral("Select GL_bDigest.*,Code.cCode_Name From GL_bDigest LEFT JOIN Code ON "
                       "GL_bDigest.cCode = Code.cCode Order By GL_bDigest.cId DESC"),
        dbOpenDynaset);
    reversed->FindFirst(QStringLiteral("cText like '%货款%'"));
    QCOMPARE(kvtest::currentId(*reversed), QStringLiteral("17"));
    // Qualified names, And/Or and parentheses mean what they mean in SQL.
    rs->FindFirst(
        QStringLiteral("cId='05'   and   GL_bDigest.cCode='6602' AND cCode_Name='管理费用'"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("05"));
    rs->FindFirst(QStringLiteral("(cId='09' or cId='08') and chelp like 'JT%'"));
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("08"));
}

void TstDataKit::findFirstNoMatchKeepsPosition()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='12'"));
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("12"));
    rs->FindFirst(QStringLiteral("cId='99'"));
    QVERIFY(rs->NoMatch());
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("12"));
    // A criterion the database cannot evaluate: an error, NoMatch, position unchanged.
    QVERIFY_THROWS_EXCEPTION(DataKit::Error, rs->FindFirst(QStringLiteral("nosuchcolumn=1")));
    QVERIFY(rs->NoMatch());
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("12"));
    // Unqualified cCode is ambiguous over the join: the caller's criterion, evaluated as SQL.
    QVERIFY_THROWS_EXCEPTION(DataKit::Error, rs->FindFirst(QStringLiteral("cCode='1001'")));
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("12"));
}

void TstDataKit::findFirstOnAccountList()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kAccounts, dbOpenDynaset);
    QCOMPARE(rs->RecordCount(), 22L);
    rs->FindFirst(QStringLiteral("cCode='1001' AND cCode_Name='库存现金'"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(rs->Fields(0).toString(), QStringLiteral("1001"));
    rs->FindFirst(QStringLiteral("cCode='管理费用' OR cCode_Name='管理费用'"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(rs->Fields(QStringLiteral("cCode")).toString(), QStringLiteral("6602"));
    rs->FindFirst(QStringLiteral("cCode='1001' AND cCode_Name='银行存款'"));
    QVERIFY(rs->NoMatch());
    QCOMPARE(rs->Fields(QStringLiteral("cCode")).toString(), QStringLiteral("6602"));
}

void TstDataKit::filterTakesEffectAtRequery()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kAccounts, dbOpenDynaset);
    rs->setFilter(QStringLiteral("cCode like '%10%' Or cCode_Name  like '%10%' "));
    QCOMPARE(rs->RecordCount(), 22L); // not before the Requery
    rs->Requery(-1);
    QCOMPARE(rs->RecordCount(), 3L); // 1001, 1002, 1012
    QStringList codes;
    for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext())
        codes.append(rs->Fields(QStringLiteral("cCode")).toString());
    codes.sort();
    QCOMPARE(codes, QStringList({"1001", "1002", "1012"}));
    // FindFirst works within the filtered rows.
    rs->FindFirst(QStringLiteral("cCode='2001'"));
    QVERIFY(rs->NoMatch());
    rs->setFilter(QString());
    rs->Requery(-1);
    QCOMPARE(rs->RecordCount(), 22L);
    // On the listing the filter goes before its ORDER BY.
    auto listing = db->OpenRecordset(kListing, dbOpenDynaset);
    listing->setFilter(QStringLiteral("GL_bDigest.cCode='6602' or cText like '%工资%'"));
    listing->Requery(-1);
    QStringList ids;
    for (listing->MoveFirst(); !listing->isEOF(); listing->MoveNext())
        ids.append(kvtest::currentId(*listing));
    QCOMPARE(ids, QStringList({"05", "06", "07", "09", "10"}));
}

void TstDataKit::requeryKeepsCurrentRecord()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='15'"));
    rs->Requery(-1);
    QVERIFY(!rs->isBOF() && !rs->isEOF());
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("15"));
    rs->MoveNext();
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("16"));
    // Before the first record: stays so (no current record), RecordCount still exact.
    rs->MoveFirst();
    rs->MovePrevious();
    rs->Requery(-1);
    QVERIFY(rs->isBOF());
    QCOMPARE(rs->RecordCount(), 32L);
}

void TstDataKit::requeryAfterReadingToEnd()
{
    // FillGrid leaves the listing after its last record; FMove then re-queries and re-finds.
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    while (!rs->isEOF())
        rs->MoveNext();
    rs->Requery(-1);
    QVERIFY(rs->isEOF());
    QCOMPARE(rs->RecordCount(), 32L);
    rs->FindFirst(QStringLiteral("cId='01'"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("01"));
}

namespace {

std::shared_ptr<Database> manySummaries(int count)
{
    auto db = kvtest::hostDatabase();
    db->Execute(QStringLiteral("delete from GL_VoucherLine"));
    db->Execute(QStringLiteral("delete from GL_bDigest"));
    // Interleaved insert order, so the key order is not the insertion order.
    for (int step = 0; step < 2; ++step) {
        QStringList values;
        for (int i = step; i < count; i += 2)
            values.append(QStringLiteral("('%1', '摘要%1', 'ZY', %2)")
                              .arg(i, 6, 10, QLatin1Char('0'))
                              .arg(i % 3 == 0 ? QStringLiteral("NULL") : QStringLiteral("'1001'")));
        db->Execute(QStringLiteral("insert into GL_bDigest (cId, cText, chelp, cCode) values ") +
                    values.join(QLatin1Char(',')));
    }
    return db;
}

} // namespace

void TstDataKit::pagedReadMatchesWholeRead()
{
    // 1,500 rows walked forward (reads ahead growing as the walk goes on), compared with a
    // snapshot.
    auto db = manySummaries(1500);
    auto paged = db->OpenRecordset(kListing, dbOpenDynaset);
    auto whole = db->OpenRecordset(kListing, dbOpenSnapshot);
    QCOMPARE(paged->RecordCount(), 1500L);
    QCOMPARE(whole->RecordCount(), 1500L);
    int n = 0;
    for (; !paged->isEOF(); paged->MoveNext(), whole->MoveNext(), ++n) {
        for (int f = 0; f < 5; ++f)
            QCOMPARE(paged->Fields(f), whole->Fields(f));
    }
    QCOMPARE(n, 1500);
    QVERIFY(whole->isEOF());
    // Backwards from the end, and a jump into the middle.
    paged->MovePrevious();
    QCOMPARE(kvtest::currentId(*paged), QStringLiteral("001499"));
    paged->FindFirst(QStringLiteral("cId > '000733' and GL_bDigest.cCode is null"));
    QCOMPARE(kvtest::currentId(*paged), QStringLiteral("000735"));
    QVERIFY(paged->Fields(QStringLiteral("cCode_Name")).isNull());
    paged->MovePrevious();
    QCOMPARE(kvtest::currentId(*paged), QStringLiteral("000734"));
    QCOMPARE(paged->Fields(QStringLiteral("cCode_Name")).toString(), QStringLiteral("库存现金"));
}

void TstDataKit::rowDeletedAfterTheRequery()
{
    // A row another user deleted after the Requery is not met any more: the next record is found
    // among the rows as they are stored now, as a full re-read would find them.
    auto db = manySummaries(1000);
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    auto other = kvtest::anotherConnection();
    other->Execute(QStringLiteral("delete from GL_bDigest where cId='000900'"));
    rs->FindFirst(QStringLiteral("cId='000899'"));
    QVERIFY(!rs->NoMatch());
    rs->MoveNext();
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("000901"));
    rs->Requery(-1);
    QCOMPARE(rs->RecordCount(), 999L);
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("000901"));
}

KV_TEST_MAIN(TstDataKit)
#include "tst_datakit.moc"
