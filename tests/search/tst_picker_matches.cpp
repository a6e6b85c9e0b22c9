// The picker's matches, their order and what it sees of others' changes, and keeping a new
// summary, on both engines. Its list and editor are tried through real widgets in tests/picker.
#include "BrowserHarness.h"
#include "Database.h"
#include "DigestPicker.h"
#include "GridKeys.h"
#include "KvTestMain.h"
#include "NothingLeft.h"
#include "StoredRows.h"
#include "TestDatabase.h"

#include <QTest>

namespace {

std::shared_ptr<DataKit::Database> pickerLedger()
{
    auto db = kvtest::hostDatabase();
    db->Execute(QStringLiteral("delete from GL_VoucherLine"));
    db->Execute(QStringLiteral("delete from GL_bDigest"));
    kvtest::insertSummaries(*db, {{"01", "银行手续费", "YHSXF", "6603"},
                                  {"02", "收到货款", "SDHK", "1122"},
                                  {"03", "重庆分公司往来", "ZQFGSWL", "1221"},
                                  {"04", "差旅费（重庆办事处）", "CLFZQBSC", ""},
                                  {"05", "存款利息", "CKLX", "6603"},
                                  {"06", "支付银行贷款", "ZFYHDK", ""},
                                  {"07", "发工资", "FGZ", "1002"},
                                  {"YH", "银行汇款", "YHHK", "1002"}});
    return db;
}

QStringList codes(const QList<DigestMatch> &matches)
{
    QStringList found;
    for (const DigestMatch &match : matches)
        found << match.code;
    return found;
}

} // namespace

class tst_PickerMatches : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void matchesInOrder_data();
    void matchesInOrder();
    void usedFirst();
    void seesChanges();
    void keepsANewSummary_data();
    void keepsANewSummary();
    void refusesNoDatabase() { QVERIFY_THROWS_EXCEPTION(DataKit::Error, DigestPicker(nullptr)); }
};

void tst_PickerMatches::matchesInOrder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("code, initials at the start, inside") << "yh" << QStringList{"YH", "01", "06"};
    QTest::newRow("polyphone 重庆") << "CQ" << QStringList{"03", "04"};
    QTest::newRow("codes starting") << "0" << QStringList{"01", "02", "03", "04", "05", "06", "07"};
    QTest::newRow("one code") << "05" << QStringList{"05"};
    QTest::newRow("text and account name") << "银行" << QStringList{"01", "06", "07", "YH"};
    QTest::newRow("stored mnemonic") << "ckl" << QStringList{"05"};
    QTest::newRow("nothing") << "XYZ" << QStringList{};
}

void tst_PickerMatches::matchesInOrder()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    DigestPicker picker(pickerLedger());
    const QList<DigestMatch> found = picker.matches(typed);
    QCOMPARE(codes(found), expected);
    if (typed == QLatin1String("yh"))
        QCOMPARE(found[1].accountCode + found[1].accountName, QStringLiteral("6603财务费用"));
    QCOMPARE(codes(picker.matches(typed, 1)), expected.mid(0, 1));
}

void tst_PickerMatches::usedFirst()
{
    auto db = pickerLedger();
    for (const char *line : {"(1, 1, '06')", "(1, 2, '06')", "(1, 3, '03')"})
        db->Execute(
            QStringLiteral("INSERT INTO GL_VoucherLine (iVoucher, iLine, cDigestId) VALUES ") +
            QLatin1String(line));
    DigestPicker picker(db);
    picker.setUsageQuery(
        QStringLiteral("SELECT cDigestId, COUNT(*) FROM GL_VoucherLine GROUP BY cDigestId"));
    QTRY_COMPARE(codes(picker.matches("0")),
                 (QStringList{"06", "03", "01", "02", "04", "05", "07"}));
}

// The window's save at once, through the index they share; another user's within seconds.
void tst_PickerMatches::seesChanges()
{
    auto db = pickerLedger();
    DigestPicker picker(db);
    QCOMPARE(codes(picker.matches("收到")), QStringList{"02"});
    {
        kvtest::OpenBrowser h(db);
        kvtest::clickCell(h.grid(), 2, 1);
        kvtest::typeInto(h.grid(), QStringLiteral("收回欠款"));
        kvtest::pressKey(h.grid(), Qt::Key_Down);
        QCOMPARE(codes(picker.matches("收回")), QStringList{"02"});
    }
    kvtest::anotherConnection()->Execute(
        QStringLiteral("INSERT INTO GL_bDigest (cId, cText) VALUES ('09', '预付房租')"));
    QTRY_COMPARE_WITH_TIMEOUT(codes(picker.matches("YFFZ")), QStringList{"09"}, 15000);
}

void tst_PickerMatches::keepsANewSummary_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("outcome"); // the code and mnemonic, or the refusal's words
    QTest::newRow("by account code") << "预付房租"
                                     << "6603"
                                     << "08 YFFZ 6603 财务费用";
    QTest::newRow("by account name") << "预付房租"
                                     << "银行存款"
                                     << "08 YFFZ 1002 银行存款";
    QTest::newRow("no account") << "预付房租"
                                << ""
                                << "08 YFFZ  ";
    QTest::newRow("taken by another user") << "另一条"
                                           << ""
                                           << "09 LYT  ";
    QTest::newRow("empty") << ""
                           << ""
                           << "常用摘要正文不能为空";
    QTest::newRow("forbidden") << "a|b"
                               << ""
                               << "非法字符";
    QTest::newRow("control") << "换\n行"
                             << ""
                             << "控制字符";
    QTest::newRow("unknown account") << "预付房租"
                                     << "9999"
                                     << "非法科目";
    QTest::newRow("too long") << QString(61, u'长') << ""
                              << "太长";
}

void tst_PickerMatches::keepsANewSummary()
{
    QFETCH(QString, text);
    QFETCH(QString, account);
    QFETCH(QString, outcome);
    auto db = pickerLedger();
    DigestPicker picker(db);
    QCOMPARE(picker.matches("0").size(), 7);
    if (QByteArray(QTest::currentDataTag()) == "taken by another user")
        kvtest::anotherConnection()->Execute(
            QStringLiteral("INSERT INTO GL_bDigest (cId, cText) VALUES ('08', '别人的')"));
    try {
        const DigestMatch kept = picker.addSummary(text, account);
        QCOMPARE(
            QStringList({kept.code, kept.mnemonic, kept.accountCode, kept.accountName}).join(' '),
            outcome);
        QCOMPARE(kvtest::storedSummary(*db, kept.code).value(1), text);
        QCOMPARE(codes(picker.matches(kept.mnemonic)).value(0), kept.code);
    } catch (const DataKit::Error &refusal) {
        QVERIFY2(refusal.description().contains(outcome), qPrintable(refusal.description()));
        QCOMPARE(codes(picker.matches("0")).size(), 7);
    }
}

KV_TEST_MAIN(tst_PickerMatches)
#include "tst_picker_matches.moc"
