#include "SqlTexts.h"

#include <QTest>

// The statements' shapes are what other programs' logs and the database see: blanks included.
class tst_SqlTexts : public QObject
{
    Q_OBJECT

private slots:
    void fixedTexts_data();
    void fixedTexts();
    void filterCondition_data();
    void filterCondition();
    void apostrophesAreDoubled_data();
    void apostrophesAreDoubled();
};

void tst_SqlTexts::fixedTexts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("listing") << SqlText::ListingQuery()
                             << "Select GL_bDigest.*,Code.cCode_Name From GL_bDigest LEFT JOIN "
                                "Code ON GL_bDigest.cCode = Code.cCode Order By GL_bDigest.cId";
    QTest::newRow("filtered listing")
        << SqlText::FilteredListingQuery("cId='01'")
        << "Select GL_bDigest.*,Code.cCode_Name From GL_bDigest LEFT JOIN Code ON GL_bDigest.cCode "
           "= Code.cCode  where cId='01'Order By GL_bDigest.cId";
    QTest::newRow("codes") << SqlText::CodeValueList()
                           << "Select Distinct GL_bDigest.cId,Code.cCode_Name From GL_bDigest LEFT "
                              "JOIN Code ON GL_bDigest.cCode = Code.cCode Order By GL_bDigest.cId";
    QTest::newRow("texts") << SqlText::TextValueList()
                           << "Select Distinct GL_bDigest.cText,Code.cCode_Name From GL_bDigest "
                              "LEFT JOIN Code ON GL_bDigest.cCode = Code.cCode Order By "
                              "GL_bDigest.cText";
    QTest::newRow("accounts") << SqlText::AccountValueList()
                              << "Select Distinct GL_bDigest.cCode,Code.cCode_Name From GL_bDigest "
                                 "LEFT JOIN Code ON GL_bDigest.cCode = Code.cCode Order By "
                                 "GL_bDigest.cCode";
    QTest::newRow("account list") << SqlText::AccountListQuery()
                                  << "Select cCode,cCode_Name From Code";
    QTest::newRow("account filter")
        << SqlText::AccountFilter("10") << "cCode like '%10%' Or cCode_Name  like '%10%' ";
    QTest::newRow("account filter keeps blanks")
        << SqlText::AccountFilter(" 10") << "cCode like '% 10%' Or cCode_Name  like '% 10%' ";
    QTest::newRow("account filter of blanks is empty") << SqlText::AccountFilter("   ") << "";
    QTest::newRow("account filter with pattern characters")
        << SqlText::AccountFilter("5%_a\\!'")
        << "cCode like '%5!%!_a\\!!''%' ESCAPE '!' Or cCode_Name  like '%5!%!_a\\!!''%' "
           "ESCAPE '!' ";
    QTest::newRow("find by code and name") << SqlText::AccountFindCriterion("1001", "库存现金")
                                           << "cCode='1001' AND cCode_Name='库存现金'";
    QTest::newRow("find by code or name")
        << SqlText::AccountFindCriterion("", "1001") << "cCode='1001' OR cCode_Name='1001'";
    QTest::newRow("from-to") << SqlText::FromToStatement("cCode_Name", "库存现金", "cCode", "Code")
                             << "select cCode as code from Code where cCode_Name='库存现金'";
    QTest::newRow("re-find") << SqlText::RecordRefindCriterion("05") << "cId='05'";
    QTest::newRow("delete") << SqlText::DeleteStatement("05")
                            << " delete from GL_bDigest where cId='05'";
}

void tst_SqlTexts::fixedTexts()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void tst_SqlTexts::filterCondition_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing") << ""
                             << ""
                             << ""
                             << "";
    QTest::newRow("code alone has no leading And") << "01"
                                                   << ""
                                                   << ""
                                                   << "cId='01'";
    QTest::newRow("text alone") << ""
                                << "收到货款"
                                << ""
                                << "cText='收到货款'";
    QTest::newRow("code and account")
        << "01"
        << ""
        << "1001"
        << "cId='01' And (cCode_Name='1001' or  GL_bDigest.cCode='1001')";
    QTest::newRow("all three") << "01"
                               << "收到货款"
                               << "应收账款"
                               << "cId='01' And cText='收到货款' And (cCode_Name='应收账款' or  "
                                  "GL_bDigest.cCode='应收账款')";
}

void tst_SqlTexts::filterCondition()
{
    QFETCH(QString, code);
    QFETCH(QString, text);
    QFETCH(QString, account);
    QFETCH(QString, expected);
    QCOMPARE(SqlText::FilterCondition(code, text, account), expected);
}

void tst_SqlTexts::apostrophesAreDoubled_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("delete") << SqlText::DeleteStatement("0' or '1'='1")
                            << " delete from GL_bDigest where cId='0'' or ''1''=''1'";
    QTest::newRow("re-find") << SqlText::RecordRefindCriterion("a'b") << "cId='a''b'";
    QTest::newRow("account find") << SqlText::AccountFindCriterion("", "O'Neil")
                                  << "cCode='O''Neil' OR cCode_Name='O''Neil'";
    QTest::newRow("account filter")
        << SqlText::AccountFilter("'") << "cCode like '%''%' Or cCode_Name  like '%''%' ";
    QTest::newRow("from-to value") << SqlText::FromToStatement("cCode_Name", "x'y", "cCode", "Code")
                                   << "select cCode as code from Code where cCode_Name='x''y'";
    QTest::newRow("filter condition")
        << SqlText::FilterCondition("", "it's", "") << "cText='it''s'";
}

void tst_SqlTexts::apostrophesAreDoubled()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

QTEST_APPLESS_MAIN(tst_SqlTexts)
#include "tst_sqltexts.moc"
