// The quick search and the pinyin order of the header sort, as a user meets them: keys typed into
// the search box, Ctrl+F, Esc and Refresh, a header clicked; then the rows the grid shows.
#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "KvTestMain.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "PinyinInitial.h"
#include "PolyphoneInitials.h"
#include "QuickSearchIndex.h"
#include "Snapshot.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTest>

using kvtest::BrowserHarness;

namespace {

// Summaries stored with the mnemonic the window computes, whose polyphones it reads one way only.
std::shared_ptr<DataKit::Database> searchLedger()
{
    auto db = kvtest::hostDatabase();
    db->Execute(QStringLiteral("delete from GL_VoucherLine"));
    db->Execute(QStringLiteral("delete from GL_bDigest"));
    const QStringList rows = {"S01 银行存款利息 6603",
                              "S02 会计核算",
                              "S03 调整分录",
                              "S04 重庆分公司往来 1221",
                              "S05 广东分公司往来 1221",
                              "S06 音乐会门票",
                              "S07 区域经理差旅费",
                              "S08 单位往来",
                              "S09 增值税率13%",
                              "S10 备用金_临时",
                              "S11 O'Brien咨询费",
                              "S12 路径\\备份",
                              "S13 娱乐费用",
                              "S14 会议费",
                              "S15 差旅费（重庆办事处）",
                              "S16 PVC管材"};
    QList<kvtest::Summary> summaries;
    for (const QString &row : rows) {
        const QStringList f = row.split(QLatin1Char(' '));
        summaries.append({f[0], f[1], MnemonicOf(f[1]), f.value(2)});
    }
    kvtest::insertSummaries(*db, summaries);
    return db;
}

QLineEdit &searchBox(BrowserHarness &h)
{
    return h.window().searchBox();
}

QString statusLine(BrowserHarness &h)
{
    return h.window().findChild<QLabel *>(QStringLiteral("lblStatus"))->text();
}

QString fold(QString text)
{
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return text;
}

// Where typed first reads the text's initials from a word's start, straight from its words.
qsizetype plainInitialsAt(const QStringList &cells, const std::vector<quint32> &masks,
                          const QString &typed)
{
    const QString text = fold(cells[1]);
    qsizetype initialsAt = -1;
    const QString upper = typed.toUpper();
    const bool letters =
        std::any_of(upper.begin(), upper.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    const bool ascii = std::all_of(upper.begin(), upper.end(),
                                   [](QChar c) { return c.unicode() > 0 && c.unicode() < 0x80; });
    const auto word = [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); };
    for (qsizetype at = 0; letters && ascii && initialsAt < 0 && at + upper.size() <= text.size();
         ++at) {
        if (at > 0 && word(cells[1][at]) && word(cells[1][at - 1]))
            continue;
        bool all = true;
        for (qsizetype k = 0; all && k < upper.size(); ++k) {
            const QChar unit = cells[1][at + k];
            const QChar wanted = upper[k];
            all = unit.unicode() < 0x80
                      ? unit.toUpper() == wanted
                      : wanted >= u'A' && wanted <= u'Z' &&
                            (masks[size_t(at + k)] >> (wanted.unicode() - 'A') & 1);
        }
        if (all)
            initialsAt = at;
    }
    return initialsAt;
}

// The search as a plain scan would do it, one summary at a time: 2 at a cell's start, 1 inside,
// 0 no match.
int plainMatch(const QStringList &cells, const std::vector<quint32> &masks, const QString &typed)
{
    const QString q = fold(typed);
    const QString text = fold(cells[1]);
    const QString account = fold(cells[3]);
    if (q.isEmpty() || fold(cells[0]).startsWith(q) || fold(cells[2]).startsWith(q) ||
        text.startsWith(q) || account.startsWith(q))
        return 2;
    const qsizetype initialsAt = plainInitialsAt(cells, masks, typed);
    if (initialsAt == 0)
        return 2;
    return initialsAt > 0 || text.contains(q) || account.contains(q) ? 1 : 0;
}

// The picker's group for a summary, as a plain scan would tell it: 0 the code itself, 1 a code
// starting with the text, 2 initials at the text's start, 3 inside, 4 contained; 5 no match.
int plainGroup(const QStringList &cells, const std::vector<quint32> &masks, const QString &typed)
{
    const QString q = fold(typed);
    const qsizetype initialsAt = plainInitialsAt(cells, masks, typed);
    if (fold(cells[0]).startsWith(q))
        return fold(cells[0]) == q ? 0 : 1;
    if (fold(cells[2]).startsWith(q) || initialsAt == 0)
        return 2;
    if (initialsAt > 0)
        return 3;
    return fold(cells[1]).contains(q) || fold(cells[3]).contains(q) ? 4 : 5;
}

} // namespace

class tst_Search : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void findsAsTheUserTypes_data();
    void findsAsTheUserTypes();
    void boxKeysAndRefills();
    void followsTheWindowsOwnSaves();
    void searchesWithinAFilter();
    void headerSortInPinyinOrder();
    void matchesAPlainScan();
    void ranksAsAPlainScan();
};

void tst_Search::findsAsTheUserTypes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("codes");
    // Initials of the readings the words are read with, besides the stored mnemonic, from any
    // word's start; those at the start of a cell first.
    QTest::newRow("YH 银行, 乐会") << "YH" << QStringList{"S01", "S06"};
    QTest::newRow("KJ 会计") << "KJ" << QStringList{"S02"};
    QTest::newRow("TZ 调整") << "TZ" << QStringList{"S03"};
    QTest::newRow("CQ 重庆, inside too") << "CQ" << QStringList{"S04", "S15"};
    QTest::newRow("stored YX") << "yx" << QStringList{"S01"};
    QTest::newRow("音乐 YY, 娱乐 YL") << "YY" << QStringList{"S06"};
    QTest::newRow("YL: 娱乐, 音乐会's mnemonic") << "YL" << QStringList{"S06", "S13"};
    QTest::newRow("GC 管材 after ASCII") << "GC" << QStringList{"S16"};
    QTest::newRow("CG: no word starts inside PVC") << "CG" << QStringList{};
    // Rare readings find nothing: 广 ān, 会 kuài outside 会计, 单 chán, 区 ōu.
    QTest::newRow("A not 广东") << "A" << QStringList{};
    QTest::newRow("K not 会议") << "K" << QStringList{"S02", "S01"};
    QTest::newRow("C not 单位") << "C" << QStringList{"S04", "S15", "S01", "S07", "S16"};
    QTest::newRow("O not 区域") << "O" << QStringList{"S11"};
    // Text, account name and code; every character stands for itself.
    QTest::newRow("text") << "分公司" << QStringList{"S04", "S05"};
    QTest::newRow("account name") << "其他应收" << QStringList{"S04", "S05"};
    QTest::newRow("code") << "s1" << QStringList{"S10", "S11", "S12", "S13", "S14", "S15", "S16"};
    QTest::newRow("percent") << "13%" << QStringList{"S09"};
    QTest::newRow("lone percent") << "%" << QStringList{"S09"};
    QTest::newRow("underscore") << "_" << QStringList{"S10"};
    QTest::newRow("apostrophe") << "'" << QStringList{"S11"};
    QTest::newRow("backslash") << "\\" << QStringList{"S12"};
}

void tst_Search::findsAsTheUserTypes()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);
    kvtest::OpenBrowser h(searchLedger());
    kvtest::typeText(&searchBox(h), typed);
    QTRY_COMPARE(h.codes(), codes);
    QCOMPARE(h.grid().text(h.grid().rowCount() - 1, 1), QString());
    QVERIFY(statusLine(h).contains(QStringLiteral("    查找：") + typed));
    QVERIFY(!statusLine(h).contains(QStringLiteral("过滤中")));
}

// Ctrl+F, Esc, the blank entry row and a pending edit as Filter treats them, and Refresh.
void tst_Search::boxKeysAndRefills()
{
    kvtest::OpenBrowser h(searchLedger());
    GridControl &grid = h.grid();
    kvtest::clickCell(grid, 2, 1);
    kvtest::typeInto(grid, QStringLiteral("改过"));
    kvtest::pressKey(grid, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(searchBox(h).hasFocus());
    kvtest::typeText(&searchBox(h), QStringLiteral("cq"));
    QTRY_COMPARE(h.codes(), (QStringList{"S04", "S15"}));
    kvtest::snapshot(h.window(), QStringLiteral("quick-search"));
    QVERIFY(!h.window().editing());
    QVERIFY(h.window().mblnAddMark == (grid.currentRow() == grid.rowCount() - 1));
    QCOMPARE(kvtest::storedSummary(h.db(), "S02").value(1), QStringLiteral("会计核算"));

    QTest::keyClick(&searchBox(h), Qt::Key_Escape);
    QTRY_COMPARE(h.codes().size(), 16);
    QVERIFY(searchBox(h).text().isEmpty());
    QVERIFY(grid.view()->hasFocus());
    QVERIFY(!statusLine(h).contains(QStringLiteral("查找")));
    QVERIFY(h.window().isVisible());

    kvtest::typeText(&searchBox(h), QStringLiteral("会"));
    QTRY_COMPARE(h.codes(), (QStringList{"S02", "S14", "S06"}));
    h.click(QStringLiteral("TlbRefresh"));
    h.settle();
    QVERIFY(searchBox(h).text().isEmpty());
    QCOMPARE(h.codes().size(), 16);
}

// What the window itself saves or deletes is found, or no longer found, without a Refresh.
void tst_Search::followsTheWindowsOwnSaves()
{
    kvtest::ModalDriver modal;
    kvtest::OpenBrowser h(searchLedger());
    GridControl &grid = h.grid();
    kvtest::typeInto(grid, QStringLiteral("S20"));
    kvtest::pressKey(grid, Qt::Key_Tab);
    kvtest::typeInto(grid, QStringLiteral("行长办公费"));
    kvtest::pressKey(grid, Qt::Key_Up);
    h.settle();
    QCOMPARE(kvtest::storedSummary(h.db(), "S20").value(2), QStringLiteral("XCBGF"));

    kvtest::typeText(&searchBox(h), QStringLiteral("HZ"));
    QTRY_COMPARE(h.codes(), QStringList{"S20"});
    kvtest::clickCell(grid, 1, 1);
    modal.expectMessage(QStringLiteral("确实要删除常用摘要---行长办公费  吗?"),
                        QMessageBox::Question, QMessageBox::Yes);
    kvtest::pressKey(grid, Qt::Key_D, Qt::ControlModifier);
    h.settle();
    QVERIFY(kvtest::storedSummary(h.db(), "S20").isEmpty());
    searchBox(h).clear();
    kvtest::typeText(&searchBox(h), QStringLiteral("HZ"));
    QTRY_COMPARE(h.codes(), QStringList{});
    KV_VERIFY_MODALS(modal);
}

// A search under a filter looks among the filter's summaries; Esc gives the filter back, Refresh
// ends both. The status line names each.
void tst_Search::searchesWithinAFilter()
{
    kvtest::ModalDriver modal;
    kvtest::OpenBrowser h(searchLedger());
    modal.expectDialog([](QWidget *dialog) {
        kvtest::typeText(dialog->findChild<QComboBox *>(QStringLiteral("cboCode")), "1221");
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdYes")),
                          Qt::LeftButton);
    });
    h.click(QStringLiteral("TlbFilter"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.codes(), (QStringList{"S04", "S05"}));

    kvtest::typeText(&searchBox(h), QStringLiteral("CQ"));
    QTRY_COMPARE(h.codes(), QStringList{"S04"});
    QVERIFY(statusLine(h).startsWith(QStringLiteral("1 条 / 共 16 条    过滤中    查找：CQ")));

    QTest::keyClick(&searchBox(h), Qt::Key_Escape);
    QTRY_COMPARE(h.codes(), (QStringList{"S04", "S05"}));
    QVERIFY(statusLine(h).startsWith(QStringLiteral("2 条 / 共 16 条    过滤中    数据库")));

    h.click(QStringLiteral("TlbRefresh"));
    h.settle();
    QCOMPARE(h.codes().size(), 16);
    QVERIFY(statusLine(h).startsWith(QStringLiteral("16 条 / 共 16 条    数据库")));
}

// Chinese texts in pinyin order, texts of ASCII characters alone before them in character-code
// order; the blank entry row stays last.
void tst_Search::headerSortInPinyinOrder()
{
    BrowserHarness h(kvtest::hostDatabase(false));
    const QStringList texts = {"其他",  "发放工资", "zeta", "报销",
                               "Alpha", "中国银行", "阿里", "B2B"};
    QList<kvtest::Summary> summaries;
    for (const QString &text : texts)
        summaries.append({QStringLiteral("0%1").arg(summaries.size() + 1), text, {}, {}});
    kvtest::insertSummaries(h.db(), summaries);
    h.open();
    kvtest::clickCell(h.grid(), 1, 1);
    kvtest::clickHeader(h.grid(), 1);
    h.settle();
    QCOMPARE(h.codes(), (QStringList{"05", "08", "03", "07", "04", "02", "01", "06"}));
    QCOMPARE(h.grid().text(h.grid().rowCount() - 1, 0), QString());
}

// Random summaries full of polyphones, ASCII words and punctuation, as the index holds them and
// as a plain scan reads them; enough that a scan is shared out between processors where there are
// several.
struct RandomLedger
{
    RandomLedger()
        : random(kvtest::seedFromEnvironment("KVDIGEST_SEARCH_SEED", 20261210))
    {
        for (int i = 0; i < 60000; ++i) {
            const QString t = text(6);
            summaries.push_back({QStringLiteral("R%1").arg(i, 5, 10, QLatin1Char('0')), t,
                                 random.bounded(4) ? MnemonicOf(t) : text(2),
                                 random.bounded(3) ? text(2) : QString()});
            const QByteArray utf8[4] = {summaries.back()[0].toUtf8(), summaries.back()[1].toUtf8(),
                                        summaries.back()[2].toUtf8(), summaries.back()[3].toUtf8()};
            const QByteArrayView cells[4] = {utf8[0], utf8[1], utf8[2], utf8[3]};
            rows.append(cells, 4);
        }
        masks.resize(summaries.size());
        for (size_t i = 0; i < summaries.size(); ++i)
            PolyphoneInitials(summaries[i][1], masks[i]);
        alive.assign(summaries.size(), true);
        index.reset(rows, 0, rows.size() - 1);
    }

    QString text(int most)
    {
        static const QStringList pieces = {"银行", "重庆", "音乐", "会计", "长期", "行", "重",
                                           "乐",   "长",   "收款", "费",   "（",   "）", "A",
                                           "b",    "PVC",  "x1",   "2",    "%",    "_",  " "};
        QString t;
        for (int i = 1 + random.bounded(most); i > 0; --i)
            t += pieces[random.bounded(int(pieces.size()))];
        return t;
    }

    // Types on, takes a key back or starts anew (the index narrows an earlier result), or saves
    // or deletes a summary in between.
    void step(QString &typed)
    {
        static const QStringList keys = {"Y",  "h",  "C",  "q", "L",  "Z",  "k",  "J",
                                         "P",  "x",  "1",  "2", "银", "行", "重", "庆",
                                         "乐", "长", "费", "%", "_",  "（", "）", "r0"};
        const int action = random.bounded(10);
        const auto i = size_t(random.bounded(int(summaries.size())));
        if (typed.size() > 3 || action == 0) {
            typed.clear();
        } else if (action < 5 || typed.isEmpty()) {
            typed += keys[random.bounded(int(keys.size()))];
        } else if (action < 8) {
            typed.chop(1);
        } else if (action == 8) {
            summaries[i][1] = text(6);
            PolyphoneInitials(summaries[i][1], masks[i]);
            rows.setCell(long(i), 1, summaries[i][1]);
            index.save(summaries[i][0], rows, long(i));
        } else {
            alive[i] = false;
            index.remove(summaries[i][0]);
        }
    }

    QRandomGenerator random;
    std::vector<QStringList> summaries;
    std::vector<std::vector<quint32>> masks;
    std::vector<bool> alive;
    GridRows rows;
    QuickSearchIndex index;
};

// The index against a plain scan of the same summaries, with saves and deletions between texts.
void tst_Search::matchesAPlainScan()
{
    RandomLedger ledger;
    // Before the index is complete: kept, then applied in order.
    ledger.alive[7] = false;
    ledger.index.remove(ledger.summaries[7][0]);
    QString typed;
    for (int step = 0; step < 200; ++step) {
        ledger.step(typed);
        QStringList expected[3];
        for (size_t i = 0; i < ledger.summaries.size(); ++i)
            if (ledger.alive[i])
                expected[plainMatch(ledger.summaries[i], ledger.masks[i], typed)]
                    << ledger.summaries[i][0];
        QStringList found;
        for (const quint32 summary : ledger.index.find(typed))
            found << ledger.index.cells(summary)[0];
        QCOMPARE(found, expected[2] + expected[1]);
    }
}

// The picker's choice against a plain scan: each summary's group, then the most used, then the
// code, the best ten.
void tst_Search::ranksAsAPlainScan()
{
    RandomLedger ledger;
    QuickSearchIndex::Usage usage;
    usage.counts.resize(ledger.summaries.size() / 2);
    for (quint32 i = 0; i < usage.counts.size(); ++i) {
        usage.counts[i] = ledger.random.bounded(8) ? 0 : ledger.random.bounded(5u);
        if (usage.counts[i])
            usage.order.push_back(i);
    }
    std::stable_sort(usage.order.begin(), usage.order.end(),
                     [&](quint32 a, quint32 b) { return usage.counts[a] > usage.counts[b]; });
    QString typed;
    for (int step = 0; step < 300; ++step) {
        ledger.step(typed);
        if (step == 150) { // a summary the picker kept: the codes are no longer in order
            ledger.summaries.push_back({"A1", "银行重庆", "YHCQ", ""});
            ledger.masks.emplace_back();
            PolyphoneInitials(ledger.summaries.back()[1], ledger.masks.back());
            ledger.alive.push_back(true);
            const QByteArray utf8[3] = {"A1", QStringLiteral("银行重庆").toUtf8(), "YHCQ"};
            const QByteArrayView cells[4] = {utf8[0], utf8[1], utf8[2], {}};
            ledger.index.add(cells, 4);
        }
        // With use counted, and without, where the codes' order alone decides.
        for (const QuickSearchIndex::Usage &counted : {usage, QuickSearchIndex::Usage()}) {
            std::vector<std::tuple<int, qint64, QString>> plain;
            for (size_t i = 0; i < ledger.summaries.size(); ++i) {
                const int group = plainGroup(ledger.summaries[i], ledger.masks[i], typed);
                const auto used = i < counted.counts.size() ? counted.counts[i] : 0;
                if (ledger.alive[i] && group < 5 && !typed.isEmpty())
                    plain.emplace_back(group, -qint64(used), ledger.summaries[i][0]);
            }
            std::sort(plain.begin(), plain.end());
            QStringList expected;
            for (size_t k = 0; k < plain.size() && k < 10; ++k)
                expected << std::get<2>(plain[k]);
            QStringList found;
            for (const quint32 summary : ledger.index.ranked(typed, 10, counted))
                found << ledger.index.cells(summary)[0];
            QCOMPARE(found, expected);
        }
    }
}

KV_TEST_MAIN(tst_Search)
#include "tst_search.moc"
