// DataKit and the statement shapes it meets: the parser's reading of them (table-driven), and the
// recordsets they give (filtered listing, value lists, look-ups, aggregates, repeating joins).
#include "DataKitTestUtil.h"
#include "JoinShape.h"
#include "SqlText.h"

using DataKit::Database;
using DataKit::dbOpenDynaset;
using DataKit::dbOpenSnapshot;

class TstDataKitShapes : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void joins_data();
    void joins();

    void filteredListingShape();
    void keywordsInsideLiterals();
    void distinctListIsReadOnly();
    void valueLookUp();
    void aggregateIsReadOnly();
    void joinRepeatingBaseRows();
    void orderByAliasAndPosition();
    void badFilterLeavesRecordsetUsable();
    void nullKeyIsWalkedPast_data();
    void nullKeyIsWalkedPast();
};

void TstDataKitShapes::parse_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("orderBy");
    QTest::addColumn<QString>("baseTable");
    QTest::addColumn<QString>("qualifier");
    QTest::addColumn<bool>("singleTable");
    QTest::addColumn<bool>("distinct");

    QTest::newRow("listing") << kListing << ""
                             << "GL_bDigest.cId"
                             << "GL_bDigest"
                             << "GL_bDigest" << false << false;
    QTest::newRow("filtered listing, where glued to Order By")
        << filteredListing("cId='01' And (cCode_Name='1001' or  GL_bDigest.cCode='1001')")
        << "cId='01' And (cCode_Name='1001' or  GL_bDigest.cCode='1001')"
        << "GL_bDigest.cId"
        << "GL_bDigest"
        << "GL_bDigest" << false << false;
    QTest::newRow("value list")
        << "Select Distinct GL_bDigest.cText,Code.cCode_Name From GL_bDigest LEFT JOIN Code ON "
           "GL_bDigest.cCode = Code.cCode Order By GL_bDigest.cText"
        << ""
        << "GL_bDigest.cText"
        << "GL_bDigest"
        << "GL_bDigest" << false << true;
    QTest::newRow("account list") << kAccounts << ""
                                  << ""
                                  << "Code"
                                  << "Code" << true << false;
    QTest::newRow("look-up, lower-case keywords")
        << "select cCode as code from Code where cCode_Name='库存现金'"
        << "cCode_Name='库存现金'"
        << ""
        << "Code"
        << "Code" << true << false;
    QTest::newRow("keywords inside literals")
        << "SELECT * FROM GL_bDigest g WHERE cText = 'x from y where z order by w' ORDER BY 1 DESC"
        << "cText = 'x from y where z order by w'"
        << "1 DESC"
        << "GL_bDigest"
        << "g" << true << false;
    QTest::newRow("subquery and alias with AS")
        << "select d.cId, (select max(iLine) from GL_VoucherLine v where v.cDigestId = d.cId) n "
           "from GL_bDigest as d where d.cId in (select cDigestId from GL_VoucherLine) "
           "order by n, d.cId"
        << "d.cId in (select cDigestId from GL_VoucherLine)"
        << "n, d.cId"
        << "GL_bDigest"
        << "d" << true << false;
}

void TstDataKitShapes::parse()
{
    QFETCH(QString, sql);
    const auto p = DataKit::detail::parseSelect(sql);
    QVERIFY(p.parsed);
    QTEST(p.where, "where");
    QTEST(p.orderBy, "orderBy");
    QTEST(p.baseTable, "baseTable");
    QTEST(p.baseQualifier, "qualifier");
    QTEST(p.singleTable, "singleTable");
    QTEST(p.distinct, "distinct");
    // Statements the kit uses as written.
    QVERIFY(!DataKit::detail::parseSelect("select 1 union select 2").parsed);
    QVERIFY(!DataKit::detail::parseSelect("PRAGMA foreign_keys").parsed);
    QVERIFY(!DataKit::detail::parseSelect("select cId from GL_bDigest limit 3").parsed);
}

// What the FROM clause joins after its base table: only joins of named tables on equalities are
// understood, with the joined columns each equality names.
void TstDataKitShapes::joins_data()
{
    QTest::addColumn<QString>("joins");
    QTest::addColumn<bool>("understood");
    QTest::addColumn<QString>("tables"); // table:left:equated columns, "; " between

    QTest::newRow("the listing") << "LEFT JOIN Code ON GL_bDigest.cCode = Code.cCode" << true
                                 << "Code:left:cCode";
    QTest::newRow("inner, alias, parentheses, two equalities")
        << "INNER JOIN GL_VoucherLine v ON (v.cDigestId = d.cId AND v.iLine = d.n)" << true
        << "GL_VoucherLine:inner:cDigestId,iLine";
    QTest::newRow("outer and a second join")
        << "LEFT OUTER JOIN Code AS c ON c.cCode = g.cCode JOIN x.T ON T.k = c.cCode" << true
        << "Code:left:cCode; T:inner:k";
    QTest::newRow("a condition on one side only names nothing")
        << "LEFT JOIN Code ON Code.cCode = Code.cCode" << true << "Code:left:";
    QTest::newRow("a comma") << ", Code" << false << "";
    QTest::newRow("right join") << "RIGHT JOIN Code ON GL_bDigest.cCode = Code.cCode" << false
                                << "";
    QTest::newRow("using") << "JOIN Code USING (cCode)" << false << "";
    QTest::newRow("or") << "JOIN Code ON Code.cCode = g.cCode OR Code.cCode = g.x" << false << "";
    QTest::newRow("subquery") << "JOIN (select 1) s ON s.a = g.b" << false << "";
}

void TstDataKitShapes::joins()
{
    QFETCH(QString, joins);
    const DataKit::detail::JoinShape shape = DataKit::detail::readJoins(joins);
    QTEST(shape.understood, "understood");
    QStringList tables;
    for (const DataKit::detail::JoinedTable &t : shape.tables)
        tables << t.table + (t.left ? ":left:" : ":inner:") + t.equated.join(QLatin1Char(','));
    QTEST(tables.join(QStringLiteral("; ")), "tables");
}

void TstDataKitShapes::filteredListingShape()
{
    auto db = kvtest::hostDatabase();
    // `where` glued to `Order By` (no blank between the condition and Order By).
    auto one = db->OpenRecordset(filteredListing(QStringLiteral("cId='03'")), dbOpenDynaset);
    QCOMPARE(one->RecordCount(), 1L);
    QCOMPARE(kvtest::currentId(*one), QStringLiteral("03"));
    QVERIFY(one->isUpdatable());
    // The account box: the same value against the name and the code.
    auto byName = db->OpenRecordset(
        filteredListing(
            QStringLiteral("cId='03' And (cCode_Name='库存现金' or  GL_bDigest.cCode='库存现金')")),
        dbOpenDynaset);
    QCOMPARE(byName->RecordCount(), 1L);
    auto byCode =
        db->OpenRecordset(filteredListing(QStringLiteral(
                              "cId='03' And (cCode_Name='1001' or  GL_bDigest.cCode='1001')")),
                          dbOpenDynaset);
    QCOMPARE(byCode->RecordCount(), 1L);
    auto none =
        db->OpenRecordset(filteredListing(QStringLiteral(
                              "cId='01' And (cCode_Name='1001' or  GL_bDigest.cCode='1001')")),
                          dbOpenDynaset);
    QCOMPARE(none->RecordCount(), 0L);
    QVERIFY(none->isBOF() && none->isEOF());
    // Filter and FindFirst on a recordset that already has a WHERE are AND-ed into it.
    auto six = db->OpenRecordset(filteredListing(QStringLiteral("GL_bDigest.cCode='6602'")),
                                 dbOpenDynaset);
    QCOMPARE(six->RecordCount(), 3L);
    six->FindFirst(QStringLiteral("cText='报销办公费'"));
    QVERIFY(!six->NoMatch());
    QCOMPARE(kvtest::currentId(*six), QStringLiteral("06"));
    six->FindFirst(QStringLiteral("cId='01'"));
    QVERIFY(six->NoMatch());
    six->setFilter(QStringLiteral("chelp like 'BX%'"));
    six->Requery();
    QCOMPARE(six->RecordCount(), 2L);
}

void TstDataKitShapes::keywordsInsideLiterals()
{
    auto db = kvtest::hostDatabase();
    const QString text = QStringLiteral("a where b Order By c from d");
    db->Execute(
        QStringLiteral("insert into GL_bDigest (cId, cText) values ('77', '%1')").arg(text));
    auto rs =
        db->OpenRecordset(filteredListing(QStringLiteral("cText='%1'").arg(text)), dbOpenDynaset);
    QCOMPARE(rs->RecordCount(), 1L);
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("77"));
    auto all = db->OpenRecordset(kListing, dbOpenDynaset);
    all->FindFirst(QStringLiteral("cText='%1'").arg(text));
    QVERIFY(!all->NoMatch());
    QCOMPARE(kvtest::currentId(*all), QStringLiteral("77"));
}

void TstDataKitShapes::distinctListIsReadOnly()
{
    auto db = kvtest::hostDatabase();
    db->Execute(QStringLiteral(
        "insert into GL_bDigest (cId, cText, cCode) values ('40', '收到货款', '1122')"));
    auto rs = db->OpenRecordset(
        QStringLiteral("Select Distinct GL_bDigest.cText,Code.cCode_Name From GL_bDigest LEFT JOIN "
                       "Code ON GL_bDigest.cCode = Code.cCode Order By GL_bDigest.cText"),
        dbOpenDynaset);
    QVERIFY(!rs->isUpdatable());
    QCOMPARE(rs->RecordCount(), 32L); // 33 summaries, one text/account pair twice
    KV_EXPECT_ERROR(rs->AddNew(), DataKit::errNotUpdatable);
    KV_EXPECT_ERROR(rs->Edit(), DataKit::errNotUpdatable);
    rs->FindFirst(QStringLiteral("GL_bDigest.cText='提取现金'"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(rs->Fields(QStringLiteral("ccode_name")).toString(), QStringLiteral("库存现金"));
    QStringList texts;
    for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext())
        texts.append(rs->Fields(QStringLiteral("ctext")).toString());
    QCOMPARE(texts.count(QStringLiteral("收到货款")), 1);
    // Read in one pass, the list is what the walk gave.
    QStringList read;
    rs->ReadAll([&](const DataKit::FieldText *f) { read.append(QString::fromUtf8(f[0].bytes())); });
    QCOMPARE(read, texts);
    QVERIFY(rs->isEOF());
}

void TstDataKitShapes::valueLookUp()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(
        QStringLiteral("select cCode as code from Code where cCode_Name='库存现金'"),
        dbOpenDynaset);
    QCOMPARE(rs->RecordCount(), 1L);
    QCOMPARE(rs->Fields(QStringLiteral("Code")).toString().trimmed(), QStringLiteral("1001"));
    auto nothing = db->OpenRecordset(
        QStringLiteral("select cCode as code from Code where cCode_Name='没有'"), dbOpenDynaset);
    QVERIFY(nothing->isEOF());
}

void TstDataKitShapes::aggregateIsReadOnly()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(QStringLiteral("Select count(*) As n From GL_bDigest"));
    QVERIFY(!rs->isUpdatable());
    QCOMPARE(rs->RecordCount(), 1L);
    QCOMPARE(rs->Fields(QStringLiteral("N")).toInt(), 32);
    KV_EXPECT_ERROR(rs->AddNew(), DataKit::errNotUpdatable);
    auto grouped = db->OpenRecordset(
        QStringLiteral("Select cCode, count(*) From GL_bDigest Group By cCode Order By cCode"));
    QVERIFY(!grouped->isUpdatable());
    grouped->FindFirst(QStringLiteral("cCode='6602'"));
    QVERIFY(!grouped->NoMatch());
    QCOMPARE(grouped->Fields(1).toInt(), 3);
}

void TstDataKitShapes::joinRepeatingBaseRows()
{
    // Two voucher lines for summary 01: the base table's key repeats, so the rows cannot be
    // found again by key alone; the recordset must still give every row, in order.
    auto db = kvtest::hostDatabase();
    db->Execute(QStringLiteral(
        "insert into GL_VoucherLine (iVoucher, iLine, cDigestId) values (2, 1, '01')"));
    auto rs = db->OpenRecordset(
        QStringLiteral("Select GL_bDigest.cId, GL_VoucherLine.iVoucher From GL_bDigest JOIN "
                       "GL_VoucherLine ON GL_VoucherLine.cDigestId = GL_bDigest.cId "
                       "Order By GL_bDigest.cId, GL_VoucherLine.iVoucher"),
        dbOpenDynaset);
    QCOMPARE(rs->RecordCount(), 5L);
    QStringList seen;
    for (; !rs->isEOF(); rs->MoveNext())
        seen.append(rs->Fields(0).toString() + QLatin1Char('/') + rs->Fields(1).toString());
    QCOMPARE(seen, QStringList({"01/1", "01/2", "02/1", "03/1", "05/1"}));
    rs->FindFirst(QStringLiteral("GL_VoucherLine.iVoucher = 2"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(rs->Fields(1).toInt(), 2);
    // Writing goes to the base row by its key.
    rs->Edit();
    rs->Collect(QStringLiteral("cId"), QStringLiteral("01"));
    rs->Update();
}

void TstDataKitShapes::orderByAliasAndPosition()
{
    auto db = kvtest::hostDatabase();
    auto byAlias = db->OpenRecordset(
        QStringLiteral("select cId as code, cText from GL_bDigest order by code desc"),
        dbOpenDynaset);
    QCOMPARE(byAlias->Fields(QStringLiteral("code")).toString(), QStringLiteral("32"));
    byAlias->FindFirst(QStringLiteral("cText like '%货款%'"));
    QCOMPARE(byAlias->Fields(QStringLiteral("code")).toString(), QStringLiteral("17"));
    auto byPosition = db->OpenRecordset(
        QStringLiteral("select chelp, cId from GL_bDigest order by 1"), dbOpenDynaset);
    QCOMPARE(byPosition->Fields(QStringLiteral("chelp")).toString(), QStringLiteral("BXBGF"));
    byPosition->MoveLast();
    QCOMPARE(byPosition->Fields(QStringLiteral("chelp")).toString(), QStringLiteral("ZYBZ"));
    QVERIFY(byPosition->isUpdatable());
}

void TstDataKitShapes::badFilterLeavesRecordsetUsable()
{
    auto db = kvtest::hostDatabase();
    auto rs = db->OpenRecordset(kListing, dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='04'"));
    rs->setFilter(QStringLiteral("nosuchcolumn = 1"));
    QVERIFY_THROWS_EXCEPTION(DataKit::Error, rs->Requery(-1));
    QCOMPARE(rs->RecordCount(), 32L);
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("04"));
    rs->setFilter(QString());
    rs->Requery(-1);
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("04"));
    rs->FindFirst(QStringLiteral("cId='30'"));
    QCOMPARE(kvtest::currentId(*rs), QStringLiteral("30"));
}

KV_TEST_MAIN(TstDataKitShapes)
// SQLite lets a key that is not an INTEGER hold Null, and sorts it first: the walk steps onto it
// and past it both ways, keeps it current through Requery, and edits it.
void TstDataKitShapes::nullKeyIsWalkedPast_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<QStringList>("walk");
    QTest::newRow("ascending") << "k" << QStringList{"<null>", "a", "b"};
    QTest::newRow("descending") << "k DESC" << QStringList{"b", "a", "<null>"};
}

void TstDataKitShapes::nullKeyIsWalkedPast()
{
    QFETCH(QString, order);
    QFETCH(QStringList, walk);
    auto db = kvtest::freshDatabase();
    if (db->isPostgres())
        QSKIP("a PostgreSQL key is never Null");
    db->Execute(QStringLiteral("create table t (k VARCHAR(6) PRIMARY KEY, v VARCHAR(6))"));
    db->Execute(QStringLiteral("insert into t values ('b', 'B'), (NULL, 'N'), ('a', 'A')"));
    auto rs = db->OpenRecordset(QStringLiteral("select k, v from t order by ") + order);
    const auto key = [&] {
        return rs->Fields(0).isNull() ? QStringLiteral("<null>") : rs->Fields(0).toString();
    };
    QStringList forward, backward;
    for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext())
        forward << key();
    for (rs->MoveLast(); !rs->isBOF(); rs->MovePrevious())
        backward.prepend(key());
    QCOMPARE(forward, walk);
    QCOMPARE(backward, walk);
    QCOMPARE(rs->RecordCount(), 3L);
    rs->FindFirst(QStringLiteral("k IS NULL"));
    rs->Requery();
    QCOMPARE(rs->Fields(1).toString(), QStringLiteral("N"));
    rs->Edit();
    rs->Collect(QStringLiteral("v"), QStringLiteral("M"));
    rs->Update();
    QCOMPARE(rs->Fields(1).toString(), QStringLiteral("M"));
}

#include "tst_datakit_shapes.moc"
