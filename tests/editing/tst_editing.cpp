// Adding and changing summaries in place, as a user types them into the real window: the blank
// entry row, leaving a row and the checks made then, Cancel, sorting by a header; the editing state
// and the five variable buttons after every step; then the database. What a cell checks and
// computes as it is accepted is tst_editing_cells', the database's refusals tst_editing_saves'.
#include "EditingSteps.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "Recordset.h"
#include "TestDatabase.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <algorithm>

using namespace editing;
using kvtest::storedCount;
using kvtest::storedSummary;

namespace {

const QString kNoCode = QStringLiteral("常用摘要编码不能为空，请输入！");
const QString kNoText = QStringLiteral("常用摘要正文不能为空，请输入！");
const QStringList kBlank = {"", "", "", ""};

} // namespace

class tst_Editing : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void addsASummaryTypedIntoTheBlankRow();
    void addsWithCtrlIAndTheAddButton();
    void addsTheOnlySummaryOfAnEmptyListing();
    void editsAnExistingSummary();
    void refusesAnEmptyCodeOrText();
    void unchangedRowsAreNeverChecked();
    void cancelRestoresTheBlankRow();
    void cancelRestoresAnExistingRow();
    void headerClickSortsTheSummaries();
};

void tst_Editing::cleanup()
{
    KV_VERIFY_NOTHING_LEFT();
}

void tst_Editing::addsASummaryTypedIntoTheBlankRow()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const long blank = kDemoBlankRow;
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));

    // The first character opens the editor: the row becomes a pending new summary.
    h.type(QStringLiteral("99"));
    QCOMPARE(editorText(h), QStringLiteral("99"));
    QCOMPARE(state(h), QStringLiteral("adding --+--"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.grid().currentColumn(), 1L);
    QCOMPARE(h.row(blank), QStringList({"99", "", "", ""}));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));

    h.type(QStringLiteral("收到货款"));
    QCOMPARE(state(h), QStringLiteral("adding --+--"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.row(blank), QStringList({"99", "收到货款", "SDHK", ""}));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));

    // The account typed as its code shows its name; the code is kept for the save.
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("1122"));
    QCOMPARE(state(h), QStringLiteral("adding --+--"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.row(blank), QStringList({"99", "收到货款", "SDHK", "应收账款"}));
    QCOMPARE(h.window().refCode(), QStringLiteral("1122"));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    QCOMPARE(storedCount(h.db()), 32L); // nothing is written before the row is left

    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("99")),
             QStringList({"99", "收到货款", "SDHK", "1122"}));
    QCOMPARE(storedCount(h.db()), 33L);
    // The new summary stays where it was typed; a new blank entry row below it is current.
    QCOMPARE(h.grid().rowCount(), 35L);
    QCOMPARE(h.row(blank), QStringList({"99", "收到货款", "SDHK", "应收账款"}));
    QCOMPARE(h.row(34), kBlank);
    QCOMPARE(h.grid().currentRow(), 34L);
    QCOMPARE(h.grid().currentColumn(), 0L);
    QCOMPARE(h.window().currentRowMark(), 34L);
    QCOMPARE(h.window().rowSnapshot()[0], QString());
    QVERIFY(h.window().refCode().isEmpty());
    // Saving by moving away leaves Add on; Cancel is off on the new row.
    QCOMPARE(state(h), QStringLiteral("blank +--++"));

    // The saved row is an ordinary summary now: going up to it and back changes nothing.
    h.press(Qt::Key_Up);
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(state(h), QStringLiteral("browsing ++-++"));
    h.press(Qt::Key_Down);
    QCOMPARE(h.grid().currentRow(), 34L);
    QCOMPARE(storedCount(h.db()), 33L);

    // And it is found again by its code when it is changed.
    goTo(h, blank, 1);
    h.type(QStringLiteral("收到全部货款"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("99")),
             QStringList({"99", "收到全部货款", "SDHK", "1122"}));
    QCOMPARE(storedCount(h.db()), 33L);
    QCOMPARE(h.grid().rowCount(), 35L);
}

void tst_Editing::addsWithCtrlIAndTheAddButton()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;

    // Ctrl+I before anything is typed: Add is off, nothing happens.
    h.press(Qt::Key_I, Qt::ControlModifier);
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));

    typeCodeAndText(h, QStringLiteral("A1"), QStringLiteral("预付货款"));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    h.press(Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("A1")),
             QStringList({"A1", "预付货款", "YFHK", "(null)"}));
    QCOMPARE(h.grid().rowCount(), 35L);
    QCOMPARE(h.grid().currentRow(), 34L);
    QCOMPARE(h.grid().currentColumn(), 0L);
    QCOMPARE(h.row(34), kBlank);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));

    typeCodeAndText(h, QStringLiteral("A2"), QStringLiteral("支付货款"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("应付账款")); // the account by its name
    h.press(Qt::Key_Tab);
    QCOMPARE(h.window().refCode(), QStringLiteral("2202"));
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));
    h.click(QStringLiteral("TlbAdd"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("A2")),
             QStringList({"A2", "支付货款", "ZFHK", "2202"}));
    QCOMPARE(h.row(34), QStringList({"A2", "支付货款", "ZFHK", "应付账款"}));
    QCOMPARE(h.grid().rowCount(), 36L);
    QCOMPARE(h.grid().currentRow(), 35L);
    QCOMPARE(h.grid().currentColumn(), 0L);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));
    QCOMPARE(storedCount(h.db()), 34L);

    // Enter in the account column saves as well (the Enter commit).
    typeCodeAndText(h, QStringLiteral("A3"), QStringLiteral("收回欠款"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("1122"));
    h.press(Qt::Key_Return); // commits the account cell
    QCOMPARE(h.row(35).at(3), QStringLiteral("应收账款"));
    h.press(Qt::Key_Return); // saves the row
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("A3")),
             QStringList({"A3", "收回欠款", "SHQK", "1122"}));
    QCOMPARE(h.grid().currentRow(), 36L);
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(!h.window().editing());
}

void tst_Editing::addsTheOnlySummaryOfAnEmptyListing()
{
    BrowserHarness h(kvtest::hostDatabase(false));
    h.db().Execute(
        QStringLiteral("INSERT INTO Code (cCode, cCode_Name) VALUES ('1001', '库存现金')"));
    h.open();
    kvtest::ModalDriver modal;
    QCOMPARE(h.grid().rowCount(), 2L);
    typeCodeAndText(h, QStringLiteral("01"), QStringLiteral("提取现金"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("库存现金"));
    h.press(Qt::Key_Tab);
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    // No row above to move to: Ctrl+I is the way out.
    h.press(Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("01")),
             QStringList({"01", "提取现金", "TQXJ", "1001"}));
    QCOMPARE(h.grid().rowCount(), 3L);
    QCOMPARE(h.row(1), QStringList({"01", "提取现金", "TQXJ", "库存现金"}));
    QCOMPARE(h.row(2), kBlank);
    QCOMPARE(h.grid().currentRow(), 2L);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));
}

void tst_Editing::editsAnExistingSummary()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;

    goTo(h, 4, 1);
    QCOMPARE(h.row(4), QStringList({"04", "现金存入银行", "XJCRYH", "银行存款"}));
    QCOMPARE(h.window().currentRowMark(), 4L);
    QCOMPARE(h.window().rowSnapshot()[1], QStringLiteral("现金存入银行"));
    QCOMPARE(state(h), QStringLiteral("browsing -+-++"));

    // Typing replaces the cell's text; the mnemonic already there is kept.
    h.type(QStringLiteral("现金送存银行"));
    QCOMPARE(state(h), QStringLiteral("editing --+--"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.row(4), QStringList({"04", "现金送存银行", "XJCRYH", "银行存款"}));
    QCOMPARE(state(h), QStringLiteral("editing -++++"));
    QCOMPARE(storedSummary(h.db(), QStringLiteral("04")).at(1), QStringLiteral("现金存入银行"));

    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("04")),
             QStringList({"04", "现金送存银行", "XJCRYH", "1002"}));
    QCOMPARE(h.grid().currentRow(), 5L);
    QCOMPARE(h.window().currentRowMark(), 5L);
    QCOMPARE(state(h), QStringLiteral("browsing -+-++"));

    // A new code for a summary no other table uses; the mnemonic and the account typed over too.
    goTo(h, 6, 0);
    h.type(QStringLiteral("60"));
    h.press(Qt::Key_Tab);
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("BXF"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("6601"));
    h.press(Qt::Key_Return); // Tab in the last column would go on to the next row
    QCOMPARE(h.row(6), QStringList({"60", "报销办公费", "BXF", "销售费用"}));
    QCOMPARE(h.window().refCode(), QStringLiteral("6601"));
    QCOMPARE(state(h), QStringLiteral("editing -++++"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QVERIFY(storedSummary(h.db(), QStringLiteral("06")).isEmpty());
    QCOMPARE(storedSummary(h.db(), QStringLiteral("60")),
             QStringList({"60", "报销办公费", "BXF", "6601"}));
    QCOMPARE(storedCount(h.db()), 32L);
    QCOMPARE(h.grid().currentRow(), 5L);
    QCOMPARE(state(h), QStringLiteral("browsing -+-++"));
    // Found again by its new code.
    goTo(h, 6, 1);
    h.type(QStringLiteral("报销文具费"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("60")),
             QStringList({"60", "报销文具费", "BXF", "6601"}));

    // Leaving with the editor still open commits the cell and saves the row in one move.
    goTo(h, 7, 1);
    h.type(QStringLiteral("支付电费"));
    QCOMPARE(state(h), QStringLiteral("editing --+--"));
    goTo(h, 2, 1);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("07")),
             QStringList({"07", "支付电费", "ZFSDF", "6602"}));
    QCOMPARE(h.grid().currentRow(), 2L);
    QCOMPARE(state(h), QStringLiteral("browsing -+-++"));
}

void tst_Editing::refusesAnEmptyCodeOrText()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const long blank = kDemoBlankRow;

    // A text without a code: leaving, Ctrl+I and the Add button are all refused.
    h.press(Qt::Key_Tab);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));
    h.type(QStringLiteral("收到货款"));
    h.press(Qt::Key_Tab);
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    modal.expectMessage(kNoCode, QMessageBox::Critical);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(h.grid().currentColumn(), 2L);
    QCOMPARE(h.row(blank), QStringList({"", "收到货款", "SDHK", ""}));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    modal.expectMessage(kNoCode, QMessageBox::Critical);
    h.press(Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(state(h), QStringLiteral("adding --+++")); // the Add command turns Add off
    QCOMPARE(h.row(blank), QStringList({"", "收到货款", "SDHK", ""}));

    // A code, then the text emptied: the text is missing now.
    goTo(h, blank, 0);
    h.type(QStringLiteral("98"));
    h.press(Qt::Key_Tab);
    eraseCell(h);
    h.press(Qt::Key_Tab);
    QCOMPARE(h.row(blank), QStringList({"98", "", "SDHK", ""}));
    modal.expectMessage(kNoText, QMessageBox::Critical);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    modal.expectMessage(kNoText, QMessageBox::Critical);
    h.click(QStringLiteral("TlbAdd"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(blank), QStringList({"98", "", "SDHK", ""}));
    QCOMPARE(storedCount(h.db()), 32L);

    // Both given: saved, with the mnemonic typed before.
    goTo(h, blank, 1);
    h.type(QStringLiteral("收款"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("98")),
             QStringList({"98", "收款", "SDHK", "(null)"}));
    QCOMPARE(h.grid().currentRow(), 34L);

    // Only a mnemonic: the code is asked for first.
    h.press(Qt::Key_Tab);
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("XX"));
    modal.expectMessage(kNoCode, QMessageBox::Critical);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(34), QStringList({"", "", "XX", ""}));
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(34), kBlank);

    // An existing summary with code and text emptied: code first, then text; nothing is written.
    const QStringList stored02 = storedSummary(h.db(), QStringLiteral("02"));
    goTo(h, 2, 0);
    eraseCell(h);
    h.press(Qt::Key_Tab);
    eraseCell(h);
    modal.expectMessage(kNoCode, QMessageBox::Critical);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 2L);
    QCOMPARE(h.row(2), QStringList({"", "", "ZFHK", "应付账款"}));
    // Refusing the row turns Add on even here.
    QCOMPARE(state(h), QStringLiteral("editing +++++"));
    goTo(h, 2, 0);
    h.type(QStringLiteral("02"));
    modal.expectMessage(kNoText, QMessageBox::Critical);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 2L);
    QCOMPARE(h.row(2), QStringList({"02", "", "ZFHK", "应付账款"}));
    QCOMPARE(storedSummary(h.db(), QStringLiteral("02")), stored02);
    h.click(QStringLiteral("TlbCancel"));
    QCOMPARE(h.row(2), QStringList({"02", "支付货款", "ZFHK", "应付账款"}));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 3L);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("02")), stored02);
    QCOMPARE(storedCount(h.db()), 33L);
}

void tst_Editing::unchangedRowsAreNeverChecked()
{
    BrowserHarness h;
    // Stored by another program without a text.
    kvtest::insertSummaries(h.db(), {{QStringLiteral("33"), {}, {}, {}}});
    h.open();
    kvtest::ModalDriver modal;
    QCOMPARE(h.row(33), QStringList({"33", "", "", ""}));
    // While the other user holds summary 33 locked, moving over the rows writes and asks nothing.
    kvtest::OtherUser other;
    other.holdRow(QStringLiteral("33"));
    QCOMPARE(h.grid().currentRow(), 34L);
    h.press(Qt::Key_Up);
    h.press(Qt::Key_Up);
    h.press(Qt::Key_Down);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 34L);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));
    other.release();
    QCOMPARE(storedSummary(h.db(), QStringLiteral("33")),
             QStringList({"33", "(null)", "(null)", "(null)"}));
}

void tst_Editing::cancelRestoresTheBlankRow()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const long blank = kDemoBlankRow;

    typeCodeAndText(h, QStringLiteral("C1"), QStringLiteral("测试"));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    h.click(QStringLiteral("TlbCancel"));
    QCOMPARE(h.row(blank), kBlank);
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(h.grid().currentColumn(), 0L);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));
    // Blank again, the row may be left without a question.
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 32L);
    h.press(Qt::Key_Down);

    // Ctrl+Z, once the editor is closed.
    h.type(QStringLiteral("C2"));
    h.press(Qt::Key_Tab);
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(blank), kBlank);
    QCOMPARE(h.grid().currentColumn(), 0L);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));

    // The Cancel button while the editor is still open: what is typed goes with the editor.
    h.type(QStringLiteral("C3"));
    QCOMPARE(state(h), QStringLiteral("adding --+--"));
    h.click(QStringLiteral("TlbCancel"));
    QVERIFY(!h.grid().isEditing());
    QCOMPARE(h.row(blank), kBlank);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));

    // After a refusal.
    typeCodeAndText(h, QStringLiteral("C4"), QString());
    modal.expectMessage(kNoText, QMessageBox::Critical);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(blank), kBlank);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedCount(h.db()), 32L);
    QCOMPARE(h.grid().rowCount(), 34L);
}

void tst_Editing::cancelRestoresAnExistingRow()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const QStringList shown = {"05", "报销差旅费", "BXCLF", "管理费用"};
    const QStringList stored = storedSummary(h.db(), QStringLiteral("05"));

    goTo(h, 5, 1);
    h.type(QStringLiteral("报销差旅费用"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("X"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("6601"));
    h.press(Qt::Key_Return);
    QCOMPARE(h.row(5), QStringList({"05", "报销差旅费用", "X", "销售费用"}));
    QCOMPARE(state(h), QStringLiteral("editing -++++"));
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(5), shown);
    QCOMPARE(h.grid().currentRow(), 5L);
    QCOMPARE(h.grid().currentColumn(), 0L);
    QCOMPARE(state(h), QStringLiteral("browsing -+-++"));
    // The account chosen before the cancel is forgotten with it.
    QVERIFY(h.window().refCode().isEmpty());
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("05")), stored);

    // A later change of the text alone keeps the account the row shows.
    goTo(h, 5, 1);
    h.type(QStringLiteral("差旅费报销"));
    h.press(Qt::Key_Tab);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("05")),
             QStringList({"05", "差旅费报销", "BXCLF", "6602"}));

    // The Cancel button with the editor open.
    goTo(h, 6, 0);
    h.type(QStringLiteral("66"));
    QCOMPARE(state(h), QStringLiteral("editing --+--"));
    h.click(QStringLiteral("TlbCancel"));
    QVERIFY(!h.grid().isEditing());
    QCOMPARE(h.row(6), QStringList({"06", "报销办公费", "BXBGF", "管理费用"}));
    QCOMPARE(state(h), QStringLiteral("browsing -+-++"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QVERIFY(storedSummary(h.db(), QStringLiteral("66")).isEmpty());
    QCOMPARE(storedCount(h.db()), 32L);
}

void tst_Editing::headerClickSortsTheSummaries()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const auto mnemonics = [&h] {
        QStringList column;
        for (long r = 1; r < h.grid().rowCount() - 1; ++r)
            column << h.grid().text(r, 2);
        return column;
    };
    QStringList sorted = mnemonics();
    std::sort(sorted.begin(), sorted.end());
    QVERIFY(mnemonics() != sorted);

    // By the mnemonic: the summaries are reordered, the blank entry row stays last.
    kvtest::clickHeader(h.grid(), 2);
    h.settle();
    QCOMPARE(mnemonics(), sorted);
    QCOMPARE(h.row(1), QStringList({"06", "报销办公费", "BXBGF", "管理费用"}));
    QCOMPARE(h.row(33), kBlank);
    QCOMPARE(h.grid().currentRow(), 1L);
    QCOMPARE(state(h), QStringLiteral("browsing -+-++"));
    // The block was for the sort only: Delete now offers the one summary under the cursor.
    QCOMPARE(h.grid().selectionEndRow(), 1L);
    // The snapshot follows the row's new summary, so a change is written to that summary.
    QCOMPARE(h.window().rowSnapshot()[0], QStringLiteral("06"));
    const QStringList stored01 = storedSummary(h.db(), QStringLiteral("01"));
    goTo(h, 1, 1);
    h.type(QStringLiteral("报销文具费"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("06")),
             QStringList({"06", "报销文具费", "BXBGF", "6602"}));
    QCOMPARE(storedSummary(h.db(), QStringLiteral("01")), stored01);

    // The account column is not sorted.
    const QStringList before = h.row(2);
    kvtest::clickHeader(h.grid(), 3);
    h.settle();
    QCOMPARE(h.row(2), before);
    QCOMPARE(mnemonics(), sorted);

    // Not while a new summary is pending: leaving the blank entry row saves it first, and the
    // cursor stays on the new blank entry row.
    goTo(h, 33, 0);
    typeCodeAndText(h, QStringLiteral("00"), QStringLiteral("期初余额"));
    kvtest::clickHeader(h.grid(), 0);
    h.settle();
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 34L);
    QCOMPARE(h.row(33).at(0), QStringLiteral("00"));
    QCOMPARE(storedSummary(h.db(), QStringLiteral("00")).at(1), QStringLiteral("期初余额"));
    // Now by the code: 00 comes first.
    kvtest::clickHeader(h.grid(), 0);
    h.settle();
    QCOMPARE(h.row(1).at(0), QStringLiteral("00"));
    QCOMPARE(h.row(2).at(0), QStringLiteral("01"));
    QCOMPARE(h.row(33).at(0), QStringLiteral("32"));
    QCOMPARE(h.row(34), kBlank);
    QCOMPARE(storedCount(h.db()), 33L);
}

KV_TEST_MAIN(tst_Editing)
#include "tst_editing.moc"
