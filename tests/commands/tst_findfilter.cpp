// Find and Filter through the toolbar and Ctrl+K, the dialog answered by typing into its boxes.
#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "ModalDriver.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"
#include "frmFilter.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

using kvtest::BrowserHarness;

namespace {

const QString kFind = QStringLiteral("查找条件");
const QString kFilter = QStringLiteral("过滤条件");

// The next dialog must have the caption; the boxes get code, text and account (an apostrophe,
// which cannot be typed, is pasted), then the button is pressed.
void answer(kvtest::ModalDriver &modal, const QString &caption, const QStringList &boxes,
            const char *button = "cmdYes")
{
    modal.expectDialog([=](QWidget *dialog) {
        QCOMPARE(dialog->windowTitle(), caption);
        const char *names[] = {"cboId", "cboText", "cboCode"};
        for (int i = 0; i < boxes.size(); ++i) {
            QWidget *box = dialog->findChild<QComboBox *>(QLatin1String(names[i]));
            if (boxes[i].contains(QLatin1Char('\'')))
                kvtest::pasteText(box, boxes[i]);
            else
                kvtest::typeText(box, boxes[i]);
        }
        dialog->findChild<QPushButton *>(QLatin1String(button))->click();
    });
}

QStringList gridCodes(BrowserHarness &h)
{
    QStringList codes;
    for (long r = 1; r < h.grid().rowCount() - 1; ++r)
        codes << h.grid().text(r, 0);
    return codes;
}

void editText(BrowserHarness &h, long row, const QString &text)
{
    h.grid().setCurrentRow(row);
    h.grid().setCurrentColumn(1);
    h.settle();
    kvtest::typeInto(h.grid(), text);
    kvtest::pressKey(h.grid(), Qt::Key_Return);
    h.settle();
}

} // namespace

class tst_FindFilter : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(!QApplication::activeModalWidget()); }
    void findMovesTheCursor();
    void filterShowsOnlyMatches();
    void pendingEdits();
    void valuesAreMatchedLiterally_data();
    void valuesAreMatchedLiterally();
};

void tst_FindFilter::findMovesTheCursor()
{
    BrowserHarness h(kvtest::hostDatabase());
    h.open();
    kvtest::ModalDriver modal;
    // By the account's name: the first summary on 管理费用 is 05.
    answer(modal, kFind, {"", "", "管理费用"});
    kvtest::pressKey(h.grid(), Qt::Key_K, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 5L);
    QCOMPARE(h.buttons(), QStringLiteral("-+-++"));

    answer(modal, kFind, {"", "", "2211"});
    h.click(QStringLiteral("TlbFind"));
    QCOMPARE(h.grid().currentRow(), 9L);
    // No match: said so, the cursor stays; cancelled: nothing at all.
    answer(modal, kFind, {"09", "发放工资"});
    modal.expectMessage(QStringLiteral("没有符合条件的记录"), QMessageBox::Critical);
    h.click(QStringLiteral("TlbFind"));
    answer(modal, kFind, {"20"}, "cmdNo");
    h.click(QStringLiteral("TlbFind"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 9L);
}

void tst_FindFilter::filterShowsOnlyMatches()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db, true);
    h.open();
    kvtest::ModalDriver modal;
    answer(modal, kFilter, {"01"});
    h.click(QStringLiteral("TlbFilter"));
    QCOMPARE(h.grid().rowCount(), 3L);
    QCOMPARE(h.row(1), QStringList({"01", "收到货款", "SDHK", "应收账款"}));
    QCOMPARE(h.row(2), QStringList({"", "", "", ""}));
    QCOMPARE(h.grid().currentRow(), 1L);
    QVERIFY(!h.window().mblnAddMark);
    // A summary the filter hides is found, but has no row: nothing moves and nothing is said.
    answer(modal, kFind, {"05"});
    h.click(QStringLiteral("TlbFind"));
    QCOMPARE(h.grid().currentRow(), 1L);

    // Matching nothing, or refused by the database (said why): the blank entry row alone.
    answer(modal, kFilter, {"", "没有这条"});
    h.click(QStringLiteral("TlbFilter"));
    QCOMPARE(h.grid().rowCount(), 2L);
    QVERIFY(h.window().mblnAddMark);
    QCOMPARE(h.buttons(), QStringLiteral("---++"));
    h.click(QStringLiteral("TlbRefresh"));
    const auto other = kvtest::anotherConnection();
    kvtest::holdExclusively(*other);
    answer(modal, kFilter, {"", "", "管理费用"});
    modal.expectMessage(QStringLiteral("别的用户以独占方式打开数据库，不能打开表！"),
                        QMessageBox::Critical);
    h.click(QStringLiteral("TlbFilter"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().rowCount(), 2L);
    other->Execute(QStringLiteral("ROLLBACK"));
    answer(modal, kFilter, {"", "", "管理费用"});
    h.click(QStringLiteral("TlbFilter"));
    QCOMPARE(gridCodes(h), QStringList({"05", "06", "07"}));
    h.click(QStringLiteral("TlbRefresh"));
    QCOMPARE(h.grid().rowCount(), 34L);
    KV_VERIFY_MODALS(modal);
}

void tst_FindFilter::pendingEdits()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    // Filter refills from the database: the typed text is gone, nothing is written.
    editText(h, 4, QStringLiteral("改过"));
    QVERIFY(h.window().editing());
    answer(modal, kFilter, {"", "", "银行存款"});
    h.click(QStringLiteral("TlbFilter"));
    QCOMPARE(h.row(1).at(1), QStringLiteral("现金存入银行"));
    QVERIFY(!h.window().editing());
    QCOMPARE(h.buttons(), QStringLiteral("-+-++"));
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("04")).value(1),
             QStringLiteral("现金存入银行"));

    // Find leaves the row as a move does: the change is saved before the cursor goes.
    h.click(QStringLiteral("TlbRefresh"));
    editText(h, 4, QStringLiteral("再改"));
    answer(modal, kFind, {"20"});
    h.click(QStringLiteral("TlbFind"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 20L);
    QVERIFY(!h.window().editing());
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("04")).value(1), QStringLiteral("再改"));
}

void tst_FindFilter::valuesAreMatchedLiterally_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("percent") << "50%" << QStringList{"51"};
    QTest::newRow("underscore") << "5_0" << QStringList{"53"};
    QTest::newRow("backslash") << "a\\b" << QStringList{"55"};
    QTest::newRow("blanks") << "  " << QStringList{"57"};
    QTest::newRow("apostrophe") << "O'Neil Ltd" << QStringList{"59"};
}

// Equality, never a pattern, on both engines; an apostrophe is searched for as text.
void tst_FindFilter::valuesAreMatchedLiterally()
{
    QFETCH(QString, text);
    QFETCH(QStringList, codes);
    const auto db = kvtest::hostDatabase(false);
    kvtest::insertSummaries(*db, {{"51", "50%", "", ""},
                                  {"52", "500", "", ""},
                                  {"53", "5_0", "", ""},
                                  {"54", "5x0", "", ""},
                                  {"55", "a\\b", "", ""},
                                  {"56", "ab", "", ""},
                                  {"57", "  ", "", ""},
                                  {"58", " ", "", ""},
                                  {"59", "O'Neil Ltd", "", ""}});
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    answer(modal, kFilter, {"", text});
    h.click(QStringLiteral("TlbFilter"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(gridCodes(h), codes);
}

KV_TEST_MAIN(tst_FindFilter)
#include "tst_findfilter.moc"
