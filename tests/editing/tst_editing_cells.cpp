// What the window does with a cell the user has finished: "|" and "'" refused in every cell, the
// mnemonic filled from the text while it is empty, and the related account typed as a code or a
// name and checked against the chart of accounts, emptied, or chosen from the account reference
// list through the cell's button (the list answered like a user would); then what is stored.
#include "EditingSteps.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "Recordset.h"
#include "TestDatabase.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace editing;
using kvtest::storedCount;
using kvtest::storedSummary;

namespace {

const QString kIllegal = QStringLiteral("单元格中存在非法字符，请重新录入！");
const QStringList kBlank = {"", "", "", ""};
const QString kBadAccount = QStringLiteral("非法科目！");

// Answers the account list: types the search text into its search box and chooses the account
// the list then highlights with Enter, after checking the list is the account list.
std::function<void(QWidget *)> chooseAccount(const QString &search, QString *firstShown = nullptr)
{
    return [=](QWidget *dialog) {
        auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("searchBox"));
        auto *list = dialog->findChild<QTreeWidget *>(QStringLiteral("accountList"));
        if (dialog->objectName() != QLatin1String("accountReference") || !box || !list) {
            if (firstShown)
                *firstShown = QStringLiteral("not the account reference: ") + dialog->objectName();
            dialog->close();
            return;
        }
        // The accounts shown: the list opens narrowed by the cell's text in its search box.
        int shown = 0;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            shown += !list->topLevelItem(i)->isHidden();
        if (firstShown)
            *firstShown = dialog->windowTitle() + QLatin1Char('|') + list->headerItem()->text(0) +
                          QLatin1Char('|') + list->headerItem()->text(1) + QLatin1Char('|') +
                          QString::number(shown);
        for (QChar c : search)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(box, Qt::Key_Return);
    };
}

std::function<void(QWidget *)> cancelAccountList()
{
    return [](QWidget *dialog) {
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        if (buttons)
            buttons->button(QDialogButtonBox::Cancel)->click();
        else
            dialog->close();
    };
}

} // namespace

class tst_EditingCells : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void mnemonicIsFilledOnlyWhileEmpty();
    void refusesIllegalCharacters_data();
    void refusesIllegalCharacters();
    void checksTheAccountCell();
    void emptiedAccountStoresNull();
    void choosesAnAccountFromTheReference();
    void closingTheReferenceChangesNothing();
    void accountsSharingAName();
};

void tst_EditingCells::cleanup()
{
    KV_VERIFY_NOTHING_LEFT();
}

void tst_EditingCells::mnemonicIsFilledOnlyWhileEmpty()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const long blank = kDemoBlankRow;

    typeCodeAndText(h, QStringLiteral("M1"), QStringLiteral("收到货款"));
    QCOMPARE(h.grid().text(blank, 2), QStringLiteral("SDHK"));
    // A changed text leaves the mnemonic computed before.
    h.press(Qt::Key_Left);
    h.type(QStringLiteral("支付租金"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.row(blank), QStringList({"M1", "支付租金", "SDHK", ""}));
    // Emptied, the mnemonic is computed again from the text when the text is next accepted.
    eraseCell(h);
    h.press(Qt::Key_Tab);
    QCOMPARE(h.grid().text(blank, 2), QString());
    h.press(Qt::Key_Left);
    h.press(Qt::Key_Left);
    h.type(QStringLiteral("Pay房租2"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.row(blank), QStringList({"M1", "Pay房租2", "PAYFZ2", ""}));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("M1")),
             QStringList({"M1", "Pay房租2", "PAYFZ2", "(null)"}));

    // A summary stored without a mnemonic gets one when its text is accepted.
    goTo(h, 32, 2);
    eraseCell(h);
    h.press(Qt::Key_Tab);
    h.press(Qt::Key_Down); // saved with an empty mnemonic
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("32")),
             QStringList({"32", "摘要备注", "(null)", "(null)"}));
    goTo(h, 32, 1);
    h.press(Qt::Key_F2);
    h.press(Qt::Key_Return);
    QCOMPARE(h.grid().text(32, 2), QStringLiteral("ZYBZ"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("32")),
             QStringList({"32", "摘要备注", "ZYBZ", "(null)"}));
}

void tst_EditingCells::refusesIllegalCharacters_data()
{
    QTest::addColumn<long>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<QString>("message");
    QTest::newRow("code |") << 0L << QStringLiteral("9|") << QStringLiteral("9") << kIllegal;
    QTest::newRow("code '") << 0L << QStringLiteral("9'") << QStringLiteral("9") << kIllegal;
    QTest::newRow("text |") << 1L << QStringLiteral("收款|") << QStringLiteral("收款") << kIllegal;
    QTest::newRow("text '") << 1L << QStringLiteral("收款'") << QStringLiteral("收款") << kIllegal;
    QTest::newRow("mnemonic |") << 2L << QStringLiteral("S|") << QStringLiteral("S") << kIllegal;
    QTest::newRow("mnemonic '") << 2L << QStringLiteral("S'") << QStringLiteral("S") << kIllegal;
    QTest::newRow("account |") << 3L << QStringLiteral("1|") << QStringLiteral("1122") << kIllegal;
    QTest::newRow("account '") << 3L << QStringLiteral("1' OR '1'='1") << QStringLiteral("1122")
                               << kIllegal;
    // Pasted (everything after the first character): what no key types.
    QTest::newRow("code NUL pasted")
        << 0L << QStringLiteral("9") + QChar(0) + QStringLiteral("8") << QStringLiteral("9")
        << QStringLiteral("常用摘要编码：单元格中有控制字符 U+0000（第 2 个字符），如换行、制表符，"
                          "请重新录入！");
    QTest::newRow("text tab pasted")
        << 1L << QStringLiteral("收\t款") << QStringLiteral("收款")
        << QStringLiteral("常用摘要正文：单元格中有控制字符 U+0009（第 2 个字符），如换行、制表符，"
                          "请重新录入！");
    QTest::newRow("mnemonic private use pasted")
        << 2L << QStringLiteral("S\uE000") << QStringLiteral("S")
        << QStringLiteral("常用摘要助记码：单元格中有不能识别的字符 U+E000（第 2 个字符），请重新"
                          "录入！");
}

void tst_EditingCells::refusesIllegalCharacters()
{
    QFETCH(long, column);
    QFETCH(QString, typed);
    QFETCH(QString, fixed);
    QFETCH(QString, message);
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const long blank = kDemoBlankRow;
    const auto type = [&h, pasted = message != kIllegal](const QString &text) {
        if (!pasted)
            return h.type(text);
        h.type(text.left(1));
        QGuiApplication::clipboard()->setText(text.mid(1));
        h.press(Qt::Key_V, Qt::ControlModifier);
    };

    for (long col = 0; col < column; ++col)
        h.press(Qt::Key_Tab);
    // The first character opens the editor; the window refuses "|" and "'" only while no editor
    // is open, so the rest reach the editor and the cell check must catch them.
    type(typed);
    QCOMPARE(editorText(h), typed);
    modal.expectMessage(message, QMessageBox::Critical);
    h.press(Qt::Key_Tab);
    KV_VERIFY_MODALS(modal);
    // Refused: the cursor and the open editor stay, with everything typed; the cell keeps its old
    // text.
    QCOMPARE(h.grid().currentColumn(), column);
    QVERIFY(h.grid().isEditing());
    QCOMPARE(editorText(h), typed);
    QCOMPARE(h.grid().text(blank, column), QString());
    QCOMPARE(state(h), QStringLiteral("adding --+--"));
    // Moving away is refused the same way.
    modal.expectMessage(message, QMessageBox::Critical);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(editorText(h), typed);

    // Corrected, the cell is accepted; Ctrl+Z then empties the blank entry row again.
    h.press(Qt::Key_A, Qt::ControlModifier);
    h.type(fixed);
    h.press(Qt::Key_Tab);
    KV_VERIFY_MODALS(modal);
    QVERIFY(!h.grid().isEditing());
    QCOMPARE(h.grid().text(blank, column), column == 3 ? QStringLiteral("应收账款") : fixed);
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(blank), kBlank);
    QCOMPARE(state(h), QStringLiteral("blank ---++"));

    // The same on an existing summary; Esc gives up the edit and leaving writes the row as it was.
    const QStringList before = storedSummary(h.db(), QStringLiteral("03"));
    const QStringList shown = h.row(3);
    goTo(h, 3, column);
    type(typed);
    modal.expectMessage(message, QMessageBox::Critical);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 3L);
    QCOMPARE(editorText(h), typed);
    QCOMPARE(h.row(3), shown);
    QCOMPARE(state(h), QStringLiteral("editing --+--"));
    h.press(Qt::Key_Escape);
    QCOMPARE(state(h), QStringLiteral("editing -++++"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 4L);
    QCOMPARE(h.row(3), shown);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("03")), before);
    QCOMPARE(storedCount(h.db()), 32L);
}

void tst_EditingCells::checksTheAccountCell()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const long blank = kDemoBlankRow;
    typeCodeAndText(h, QStringLiteral("K1"), QStringLiteral("收到利息"));
    h.press(Qt::Key_Tab);

    // Neither a code nor a name of the chart.
    h.type(QStringLiteral("9999"));
    modal.expectMessage(kBadAccount, QMessageBox::Critical);
    h.press(Qt::Key_Tab);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(editorText(h), QStringLiteral("9999"));
    QCOMPARE(h.grid().text(blank, 3), QString());
    QVERIFY(h.window().refCode().isEmpty());
    QCOMPARE(state(h), QStringLiteral("adding --+--"));

    // A single blank: refused without a message.
    h.press(Qt::Key_A, Qt::ControlModifier);
    h.type(QStringLiteral(" "));
    h.press(Qt::Key_Tab);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(editorText(h), QStringLiteral(" "));
    QCOMPARE(h.grid().text(blank, 3), QString());
    QCOMPARE(state(h), QStringLiteral("adding --+--"));

    // A code: the cell shows the name, the code is kept.
    h.press(Qt::Key_A, Qt::ControlModifier);
    h.type(QStringLiteral("6603"));
    h.press(Qt::Key_Tab);
    QVERIFY(!h.grid().isEditing());
    QCOMPARE(h.grid().text(blank, 3), QStringLiteral("财务费用"));
    QCOMPARE(h.window().refCode(), QStringLiteral("6603"));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));

    // Until the cursor moves, the kept code and the typed name must belong together.
    h.type(QStringLiteral("银行存款"));
    modal.expectMessage(kBadAccount, QMessageBox::Critical);
    h.press(Qt::Key_Tab);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().text(blank, 3), QStringLiteral("财务费用"));
    QVERIFY(h.window().refCode().isEmpty());
    // The refusal forgot the code: the same name is accepted on its own now.
    h.press(Qt::Key_Tab);
    QCOMPARE(h.grid().text(blank, 3), QStringLiteral("银行存款"));
    QCOMPARE(h.window().refCode(), QStringLiteral("1002"));

    // Moving the cursor forgets the kept code as well.
    h.press(Qt::Key_Left);
    QVERIFY(h.window().refCode().isEmpty());
    h.press(Qt::Key_Right);
    h.type(QStringLiteral("财务费用"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.grid().text(blank, 3), QStringLiteral("财务费用"));
    QCOMPARE(h.window().refCode(), QStringLiteral("6603"));

    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("K1")),
             QStringList({"K1", "收到利息", "SDLX", "6603"}));

    // Leaving with an unknown account still in the editor is refused at the cell.
    goTo(h, 21, 3);
    h.type(QStringLiteral("利息"));
    modal.expectMessage(kBadAccount, QMessageBox::Critical);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 21L);
    QCOMPARE(editorText(h), QStringLiteral("利息"));
    h.press(Qt::Key_Escape);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("21")),
             QStringList({"21", "收到利息", "SDLX", "6603"}));
}

void tst_EditingCells::emptiedAccountStoresNull()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;

    goTo(h, 8, 3);
    QCOMPARE(h.grid().text(8, 3), QStringLiteral("累计折旧"));
    eraseCell(h);
    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(8), QStringList({"08", "计提折旧", "JTZJ", ""}));
    QCOMPARE(state(h), QStringLiteral("editing -++++"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("08")),
             QStringList({"08", "计提折旧", "JTZJ", "(null)"}));

    // An account renamed by another user meanwhile: the account cell was not touched, so the
    // stored code stays (the old name would find none).
    kvtest::OtherUser()->Execute(
        QStringLiteral("UPDATE Code SET cCode_Name = '职工薪酬' WHERE cCode = '2211'"));
    goTo(h, 9, 1);
    h.type(QStringLiteral("计提职工工资"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("09")),
             QStringList({"09", "计提职工工资", "JTGZ", "2211"}));
    // A cell opened and committed unchanged writes nothing.
    goTo(h, 11, 1);
    h.press(Qt::Key_F2);
    h.press(Qt::Key_Return);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("11")),
             QStringList({"11", "缴纳增值税", "JNZZS", "2221"}));
}

void tst_EditingCells::choosesAnAccountFromTheReference()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const long blank = kDemoBlankRow;

    // 行 is read xing here: level-1 characters take the letter of their code range.
    typeCodeAndText(h, QStringLiteral("R1"), QStringLiteral("银行手续费"));
    h.press(Qt::Key_Tab);
    QString seen;
    modal.expectDialog(chooseAccount(QStringLiteral("银行"), &seen));
    kvtest::clickCellButton(h.grid(), blank, 3);
    h.settle();
    KV_VERIFY_MODALS(modal);
    // An empty cell lists the whole chart.
    QCOMPARE(seen, QStringLiteral("科目参照|科目编码|科目名称|22"));
    QCOMPARE(h.row(blank), QStringList({"R1", "银行手续费", "YXSXF", "银行存款"}));
    QCOMPARE(h.window().refCode(), QStringLiteral("1002"));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("R1")),
             QStringList({"R1", "银行手续费", "YXSXF", "1002"}));

    // On an existing summary, from the keyboard (F3): the list opens on the cell's text.
    goTo(h, 19, 3);
    QCOMPARE(h.grid().text(19, 3), QStringLiteral("销售费用"));
    modal.expectDialog(chooseAccount(QString(), &seen));
    h.press(Qt::Key_F3);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(seen, QStringLiteral("科目参照|科目编码|科目名称|1"));
    // The same account again is no edit of the cell; its code is kept all the same. (Add is still
    // on from the new row saved by moving away.)
    QCOMPARE(state(h), QStringLiteral("browsing ++-++"));
    QCOMPARE(h.window().refCode(), QStringLiteral("6601"));

    eraseCell(h);
    h.press(Qt::Key_Return);
    modal.expectDialog(chooseAccount(QStringLiteral("管理"), &seen));
    h.press(Qt::Key_F3);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(seen, QStringLiteral("科目参照|科目编码|科目名称|22"));
    QCOMPARE(h.row(19), QStringList({"19", "支付广告费", "ZFGGF", "管理费用"}));
    QCOMPARE(h.window().refCode(), QStringLiteral("6602"));
    QCOMPARE(state(h), QStringLiteral("editing -++++"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("19")),
             QStringList({"19", "支付广告费", "ZFGGF", "6602"}));

    // The list's narrowing never narrows a later check: any account of the chart is found.
    goTo(h, 28, 3);
    modal.expectDialog(cancelAccountList());
    h.press(Qt::Key_F3);
    KV_VERIFY_MODALS(modal);
    h.type(QStringLiteral("1001"));
    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().text(28, 3), QStringLiteral("库存现金"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("28")),
             QStringList({"28", "支付罚款", "ZFFK", "1001"}));
}

void tst_EditingCells::closingTheReferenceChangesNothing()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    const long blank = kDemoBlankRow;

    // Nothing pending: closing the list leaves the summary untouched.
    goTo(h, 2, 3);
    modal.expectDialog(cancelAccountList());
    kvtest::clickCellButton(h.grid(), 2, 3);
    h.settle();
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(2), QStringList({"02", "支付货款", "ZFHK", "应付账款"}));
    QCOMPARE(state(h), QStringLiteral("browsing -+-++"));

    // A chosen account survives a closed list, whatever the list was showing.
    goTo(h, blank, 0);
    typeCodeAndText(h, QStringLiteral("R2"), QStringLiteral("收回欠款"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("1122"));
    h.press(Qt::Key_Tab);
    modal.expectDialog([](QWidget *dialog) {
        // An account highlighted, then the list closed without a choice.
        auto *list = dialog->findChild<QTreeWidget *>(QStringLiteral("accountList"));
        if (list && list->topLevelItemCount() > 0)
            list->setCurrentItem(list->topLevelItem(0));
        cancelAccountList()(dialog);
    });
    kvtest::clickCellButton(h.grid(), blank, 3);
    h.settle();
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().text(blank, 3), QStringLiteral("应收账款"));
    QCOMPARE(h.window().refCode(), QStringLiteral("1122"));
    QCOMPARE(state(h), QStringLiteral("adding +-+++"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("R2")),
             QStringList({"R2", "收回欠款", "SHQK", "1122"}));
}
// Two accounts with one name: a name typed or written back stands for the first of them in the
// chart; only the code typed, or chosen from the list, tells them apart.
void tst_EditingCells::accountsSharingAName()
{
    BrowserHarness h;
    h.db().Execute(
        QStringLiteral("INSERT INTO Code (cCode, cCode_Name) VALUES ('1003', '银行存款')"));
    kvtest::insertSummaries(h.db(), {{QStringLiteral("40"), QStringLiteral("外币存款"),
                                      QStringLiteral("WBCK"), QStringLiteral("1003")}});
    h.open();
    kvtest::ModalDriver modal;
    const long blank = 34;

    typeCodeAndText(h, QStringLiteral("41"), QStringLiteral("存入银行"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("银行存款"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.window().refCode(), QStringLiteral("1002"));
    eraseCell(h);
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("1003"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.grid().text(blank, 3), QStringLiteral("银行存款"));
    QCOMPARE(h.window().refCode(), QStringLiteral("1003"));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("41")),
             QStringList({"41", "存入银行", "CRYX", "1003"}));

    // Editing another cell of a summary of the second account leaves its account alone, and so
    // does typing the shared name again; the name is never looked up to find a code.
    goTo(h, 33, 3);
    QCOMPARE(h.row(33), QStringList({"40", "外币存款", "WBCK", "银行存款"}));
    h.type(QStringLiteral("银行存款"));
    h.press(Qt::Key_Return);
    h.press(Qt::Key_Left);
    h.press(Qt::Key_Left);
    h.type(QStringLiteral("外币存入"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("40")),
             QStringList({"40", "外币存入", "WBCK", "1003"}));
    // The second account chosen by its code for a summary of the first, the cursor moved on
    // within the row: the row is written with the account the user saw.
    goTo(h, 4, 3);
    h.type(QStringLiteral("1003"));
    h.press(Qt::Key_Return);
    h.press(Qt::Key_Left);
    h.type(QStringLiteral("XJCR"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("04")),
             QStringList({"04", "现金存入银行", "XJCR", "1003"}));
}

KV_TEST_MAIN(tst_EditingCells)
#include "tst_editing_cells.moc"
