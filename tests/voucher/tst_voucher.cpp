// The demo host's voucher screen, typed into as a user types: the 摘要 picked from the list or
// typed, the 科目 filled from the pick or typed, saved with Ctrl+S as a new voucher; a typed text
// kept as a new summary; the ledger readied when the screen opens.
#include "Database.h"
#include "GridKeys.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "OtherUser.h"
#include "Recordset.h"
#include "StoredRows.h"
#include "TestDatabase.h"
#include "VoucherWindow.h"

#include <QLabel>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace {

enum Column { Summary, Account, AccountName };

// How typing into a cell ends: Enter; Enter once the list shows, which picks its first
// summary; or not at all, the cell's editor left open.
enum Ending { Typed, Picked, LeftOpen };

struct Entry
{
    int row;
    int column;
    QString keys;
    Ending ending = Typed;
};
using Entries = QList<Entry>;

const QString kTitle = QStringLiteral("记账凭证");

// The voucher lines as stored, "iLine|cDigestId|cSummary|cCode", Null as "(null)".
QStringList storedLines(int voucher)
{
    const auto rows = kvtest::anotherConnection()->OpenRecordset(
        QStringLiteral("SELECT iLine, cDigestId, cSummary, cCode FROM GL_VoucherLine "
                       "WHERE iVoucher = %1 ORDER BY iLine")
            .arg(voucher),
        DataKit::dbOpenSnapshot);
    QStringList lines;
    for (; !rows->isEOF(); rows->MoveNext()) {
        QStringList cells;
        for (int i = 0; i < 4; ++i)
            cells << (rows->Fields(i).isNull() ? QStringLiteral("(null)")
                                               : rows->Fields(i).toString());
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

// The screen, shown and active, so that keys reach the focused cell.
class Screen
{
public:
    explicit Screen(std::shared_ptr<DataKit::Database> db)
        : window(std::move(db))
    {
        window.show();
        window.activateWindow();
    }

    QTableView *view() const { return window.findChild<QTableView *>(); }
    QString status() const { return window.findChild<QLabel *>(QStringLiteral("status"))->text(); }
    void click(const char *button)
    {
        QTest::mouseClick(window.findChild<QToolButton *>(QLatin1String(button)), Qt::LeftButton);
    }
    // The picker's list under the cell being typed into (a closed editor's may wait for its
    // deletion).
    bool listShown() const
    {
        const auto lists = window.findChildren<QWidget *>(QStringLiteral("lstDigestPicker"));
        return std::any_of(lists.begin(), lists.end(),
                           [](QWidget *list) { return list->isVisible(); });
    }

    // The lines with a 摘要 as shown, "摘要|科目|科目名称".
    QStringList shown() const
    {
        QStringList lines;
        const QAbstractItemModel *model = view()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = Summary; column <= AccountName; ++column)
                cells << model->index(row, column).data().toString();
            if (!cells.first().isEmpty())
                lines << cells.join(QLatin1Char('|'));
        }
        return lines;
    }

    void enter(const Entry &entry)
    {
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QModelIndex cell = view()->model()->index(entry.row, entry.column);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {},
                          view()->visualRect(cell).center());
        // Key by key to the focus: the first opens the cell's editor, the rest go into it.
        for (const QChar key : entry.keys)
            kvtest::typeText(QApplication::focusWidget(), QString(key));
        if (entry.ending == LeftOpen)
            return;
        if (entry.ending == Picked)
            QTRY_VERIFY(listShown());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // A typed text is written into its line once the editor has had the key.
        QTRY_VERIFY(!view()->indexWidget(cell));
    }

    VoucherWindow window;
};

} // namespace

Q_DECLARE_METATYPE(Entries)

class tst_Voucher : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void savesTheLinesAsANewVoucher_data();
    void savesTheLinesAsANewVoucher();
    void savingNothingSaysSo();
    void aRefusedSaveKeepsTheLines();
    void keepsATypedTextAsASummary_data();
    void keepsATypedTextAsASummary();
    void readiesTheLedgerWhenItOpens_data();
    void readiesTheLedgerWhenItOpens();
};

void tst_Voucher::cleanup()
{
    KV_VERIFY_NOTHING_LEFT();
}

void tst_Voucher::savesTheLinesAsANewVoucher_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("picked by initials, typed with an account")
        << Entries{{0, Summary, "YH", Picked}, {1, Summary, "本月房租"}, {1, Account, "6602"}}
        << QStringList{"银行手续费|6603|财务费用", "本月房租|6602|管理费用"}
        << QStringList{"1|20|银行手续费|6603", "2|(null)|本月房租|6602"};
    QTest::newRow("picked by code, its account typed over")
        << Entries{{0, Summary, "13", Picked}, {0, Account, "1002"}}
        << QStringList{"销售商品|1002|银行存款"} << QStringList{"1|13|销售商品|1002"};
    QTest::newRow("picked, its text typed over")
        << Entries{{0, Summary, "YH", Picked}, {0, Summary, "本月房租"}}
        << QStringList{"本月房租|6603|财务费用"} << QStringList{"1|(null)|本月房租|6603"};
    QTest::newRow("empty lines left out, numbers following on")
        << Entries{{1, Account, "1001"}, {3, Summary, "本月房租"}, {4, Summary, "JTZJ", Picked}}
        << QStringList{"本月房租||", "计提折旧|1602|累计折旧"}
        << QStringList{"1|(null)|本月房租|(null)", "2|08|计提折旧|1602"};
    QTest::newRow("a quote and a percent sign, as typed")
        << Entries{{0, Summary, "房租'%1"}} << QStringList{"房租'%1||"}
        << QStringList{"1|(null)|房租'%1|(null)"};
    QTest::newRow("saved while still typing")
        << Entries{{0, Account, "6602"}, {0, Summary, "本月房租", LeftOpen}}
        << QStringList{} // in the open editor, not yet in its line
        << QStringList{"1|(null)|本月房租|6602"};
}

void tst_Voucher::savesTheLinesAsANewVoucher()
{
    QFETCH(Entries, entries);
    Screen screen(kvtest::hostDatabase());
    for (const Entry &entry : std::as_const(entries))
        screen.enter(entry);
    QTEST(screen.shown(), "shown");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    // The demo data holds voucher 1.
    QTEST(storedLines(2), "stored");
    QCOMPARE(screen.shown(), QStringList());
    QCOMPARE(screen.status(),
             QStringLiteral("已保存第 2 号凭证，%1 条分录。").arg(storedLines(2).size()));
}

void tst_Voucher::savingNothingSaysSo()
{
    Screen screen(kvtest::hostDatabase());
    screen.enter({0, Account, "6602"});
    kvtest::ModalDriver driver;
    driver.expectMessage(QStringLiteral("没有要保存的分录：请先输入摘要。"),
                         QMessageBox::Information, QMessageBox::Ok, kTitle);
    screen.click("save");
    KV_VERIFY_MODALS(driver);
    QCOMPARE(storedLines(2), QStringList());
}

void tst_Voucher::aRefusedSaveKeepsTheLines()
{
    Screen screen(kvtest::hostDatabase());
    screen.enter({0, Summary, "YH", Picked});
    kvtest::OtherUser other;
    other->Execute(QStringLiteral("ALTER TABLE GL_VoucherLine RENAME TO kv_gone"));
    kvtest::ModalDriver driver;
    driver.expectDialog([](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QVERIFY(box && box->windowTitle() == kTitle && box->icon() == QMessageBox::Critical);
        QVERIFY2(box->text().startsWith(QStringLiteral("不能保存凭证：")), qPrintable(box->text()));
        box->accept();
    });
    screen.click("save");
    KV_VERIFY_MODALS(driver);
    QCOMPARE(screen.shown(), QStringList{"银行手续费|6603|财务费用"});
    other->Execute(QStringLiteral("ALTER TABLE kv_gone RENAME TO GL_VoucherLine"));
    screen.click("save");
    QCOMPARE(storedLines(2), QStringList{"1|20|银行手续费|6603"});
}

void tst_Voucher::keepsATypedTextAsASummary_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("message"); // "" when the text is kept
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("kept");   // the summary stored as 33
    QTest::addColumn<QStringList>("stored"); // the voucher then saved
    const QStringList none;
    QTest::newRow("typed, with an account")
        << Entries{{0, Summary, "本月房租"}, {0, Account, "6602"}} << QString() << 0
        << QStringList{"33", "本月房租", "BYFZ", "6602"} << QStringList{"1|33|本月房租|6602"};
    QTest::newRow("an account the chart lacks")
        << Entries{{0, Summary, "本月房租"}, {0, Account, "9999"}}
        << QStringLiteral("相关科目：非法科目！（9999）") << int(QMessageBox::Warning) << none
        << QStringList{"1|(null)|本月房租|9999"};
    QTest::newRow("picked") << Entries{{0, Summary, "YH", Picked}}
                            << QStringLiteral("这一行的摘要已是常用摘要 20。")
                            << int(QMessageBox::Information) << none
                            << QStringList{"1|20|银行手续费|6603"};
    QTest::newRow("empty") << Entries{{2, Summary, "本月房租"}, {0, Account, "6602"}}
                           << QStringLiteral("请先在这一行输入摘要。")
                           << int(QMessageBox::Information) << none
                           << QStringList{"1|(null)|本月房租|(null)"};
}

void tst_Voucher::keepsATypedTextAsASummary()
{
    QFETCH(Entries, entries);
    QFETCH(QString, message);
    QFETCH(int, icon);
    QFETCH(QStringList, kept);
    auto db = kvtest::hostDatabase();
    Screen screen(db);
    for (const Entry &entry : std::as_const(entries))
        screen.enter(entry);
    kvtest::ModalDriver driver;
    if (!message.isEmpty())
        driver.expectMessage(message, QMessageBox::Icon(icon), QMessageBox::Ok, kTitle);
    screen.click("keep");
    KV_VERIFY_MODALS(driver);
    QCOMPARE(kvtest::storedSummary(*db, "33"), kept);
    QCOMPARE(screen.status(), kept.isEmpty() ? QString() : QStringLiteral("已存为常用摘要 33。"));
    screen.click("save");
    QTEST(storedLines(2), "stored");
}

void tst_Voucher::readiesTheLedgerWhenItOpens_data()
{
    QTest::addColumn<QStringList>("made"); // statements on a ledger with the demo data
    QTest::addColumn<QString>("refusal");
    QTest::newRow("made with the screen") << QStringList() << QString();
    QTest::newRow("made before it")
        << QStringList{"DROP TABLE GL_VoucherLine",
                       "CREATE TABLE GL_VoucherLine (iVoucher INTEGER NOT NULL, iLine INTEGER NOT "
                       "NULL, cDigestId VARCHAR(6), cSummary VARCHAR(120), PRIMARY KEY (iVoucher, "
                       "iLine))",
                       "INSERT INTO GL_VoucherLine VALUES (1, 1, '01', '凭证摘要')"}
        << QString();
    QTest::newRow("without voucher lines")
        << QStringList{"DROP TABLE GL_VoucherLine"}
        << QStringLiteral("账套中没有凭证分录表 GL_VoucherLine，不能录入凭证。");
}

void tst_Voucher::readiesTheLedgerWhenItOpens()
{
    QFETCH(QStringList, made);
    QFETCH(QString, refusal);
    auto db = kvtest::hostDatabase();
    for (const QString &statement : std::as_const(made))
        db->Execute(statement);
    // Twice: the second opening finds the column there.
    for (int opening = 0; opening < 2; ++opening) {
        try {
            VoucherWindow window(db);
            QVERIFY(refusal.isEmpty());
        } catch (const DataKit::Error &error) {
            QCOMPARE(error.description(), refusal);
            return;
        }
    }
    const auto lines = kvtest::anotherConnection()->OpenRecordset(
        QStringLiteral("SELECT cSummary, cCode FROM GL_VoucherLine WHERE iVoucher = 1"),
        DataKit::dbOpenSnapshot);
    QCOMPARE(lines->Fields(0).toString(), QStringLiteral("凭证摘要"));
    QVERIFY(lines->Fields(1).isNull());
}

KV_TEST_MAIN(tst_Voucher)
#include "tst_voucher.moc"
