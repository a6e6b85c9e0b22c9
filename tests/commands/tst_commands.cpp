// The window's commands, toolbar and keyboard, driven as a user drives them: real key presses on
// the grid, real clicks on the toolbar buttons, the message boxes answered by the modal driver.
#include "Beep.h"
#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "Recordset.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using kvtest::BrowserHarness;

namespace {

const QString kExists = QStringLiteral("该摘要已经存在，不能增加或修改！");
const QString kNoText = QStringLiteral("常用摘要正文不能为空，请输入！");
const QString kNoCode = QStringLiteral("常用摘要编码不能为空，请输入！");

QWidget *helpViewer()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("helpViewer") && window->isVisible())
            return window;
    }
    return nullptr;
}

int helpViewerCount()
{
    int count = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        count += window->objectName() == QLatin1String("helpViewer") && window->isVisible();
    return count;
}

// Types a new summary into the blank entry row and leaves the cursor in its account column,
// with the cell editor closed: the adding state, key preview on.
void typeNewSummary(BrowserHarness &h, const QString &code, const QString &text)
{
    h.type(code);
    h.press(Qt::Key_Tab);
    h.type(text);
    h.press(Qt::Key_Tab);
    h.press(Qt::Key_Tab);
}

} // namespace

class tst_Commands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void unknownAndOtherCaseKeysDoNothing();
    void refreshShowsTheStoredListing();
    void closingSavesAPendingChange_data();
    void closingSavesAPendingChange();
    void helpOpensTheViewer();
    void shortcutsWithExtraModifiersDoNothing();
    void shortcutsOfDisabledButtonsDoNothing();
    void shortcutsWaitForTheCellEditor();
    void ctrlIOnAnExistingRowDoesNothing();
    void quoteAndBarAreRefusedWithABeep();
    void enterInTheAccountColumnSavesTheNewRow();
    void enterInTheAccountColumnSavesTheOnlyRow();
    void enterElsewhereOnlyReachesTheGrid();
    void enterWithADuplicateCodeKeepsTheRow_data();
    void enterWithADuplicateCodeKeepsTheRow();
    void addOnAnExistingSummaryIsRefused();
    void moveOnAnEmptyListing();
    void moveStaysAtTheEnds();
    void currentAfterOtherUsersAndTyping();
    void findLeavesTheEntryRow_data();
    void findLeavesTheEntryRow();
    void findGoesWhereTheGridShowsIt();
};

void tst_Commands::cleanup()
{
    KV_VERIFY_NOTHING_LEFT();
}

void tst_Commands::unknownAndOtherCaseKeysDoNothing()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    // A pending change on row 4 that each of the real commands would touch: Cancel would put the
    // text back, Add would try to add it, Refresh would drop it, Exit would close the window.
    h.goToRow(4);
    h.press(Qt::Key_Right);
    h.type(QStringLiteral("改过"));
    h.press(Qt::Key_Return);
    QVERIFY(h.window().editing());
    kvtest::OtherUser()->Execute(
        QStringLiteral("INSERT INTO GL_bDigest (cId, cText) VALUES ('40', '别人加的')"));
    const QString before = h.buttons();
    const long beeps = BeepCount();

    for (const char *key : {"", " ", "tlbadd", "TLBADD", "TlbAdd ", "tlbDel", "TLBDEL", "tlbcancel",
                            "TlbCANCEL", "tlbrefresh", "TlbRefresH", "tlbexit", "TLBEXIT",
                            "tlbhelp", "TlbQuit", "TlbFont", "imgAdd", "Add", "TlbExit\n"}) {
        h.window().RunCommand(QString::fromLatin1(key));
        h.settle();
    }

    QVERIFY(h.window().isVisible());
    QVERIFY(!helpViewer());
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(h.row(4), QStringList({"04", "改过", "XJCRYH", "银行存款"}));
    QCOMPARE(h.grid().currentRow(), 4L);
    QVERIFY(h.window().editing());
    QVERIFY(!h.window().mblnAddMark);
    QCOMPARE(h.buttons(), before);
    QCOMPARE(BeepCount(), beeps);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("04")).value(1),
             QStringLiteral("现金存入银行"));
    QCOMPARE(kvtest::storedCount(h.db()), 33L);
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::refreshShowsTheStoredListing()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    kvtest::OtherUser other;
    other->Execute(QStringLiteral("INSERT INTO GL_bDigest (cId, cText, chelp, cCode) VALUES "
                                  "('045', '别人加的', 'BRJD', '1001')"));
    other->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId IN ('06', '32')"));
    other->Execute(QStringLiteral("UPDATE GL_bDigest SET cText = '别人改的' WHERE cId = '07'"));

    // Half a new summary typed into the blank entry row: Add and Cancel are on.
    typeNewSummary(h, QStringLiteral("88"), QStringLiteral("未存"));
    QCOMPARE(h.buttons(), QStringLiteral("+-+++"));

    h.click(QStringLiteral("TlbRefresh"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.codes(), kvtest::storedCodes(h.db()));
    QCOMPARE(h.grid().rowCount(), 33L);
    QCOMPARE(h.row(5), QStringList({"045", "别人加的", "BRJD", "库存现金"}));
    QCOMPARE(h.row(7), QStringList({"07", "别人改的", "ZFSDF", "管理费用"}));
    QCOMPARE(h.row(31), QStringList({"31", "期末调汇", "QMTH", ""}));
    QCOMPARE(h.row(32), QStringList({"", "", "", ""}));
    // The unsaved row is gone, in the grid and in the database; the cursor went to the first row.
    QVERIFY(kvtest::storedSummary(h.db(), QStringLiteral("88")).isEmpty());
    QCOMPARE(h.grid().currentRow(), 1L);
    QVERIFY(!h.window().mblnAddMark);
    QCOMPARE(h.window().rowSnapshot()[0], QStringLiteral("01"));
    QVERIFY(!h.enabled(QStringLiteral("TlbAdd")));
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    QVERIFY(h.enabled(QStringLiteral("TlbDel")));

    // The refill dropped the typed row, so nothing is pending: browsing on writes nothing, and
    // in particular does not write the first row's old cells over another user's newer change.
    QVERIFY(!h.window().editing());
    other->Execute(QStringLiteral("UPDATE GL_bDigest SET cText = '刚被别人改' WHERE cId = '01'"));
    h.press(Qt::Key_Down);
    h.press(Qt::Key_Down);
    QCOMPARE(h.grid().currentRow(), 3L);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("01")).value(1),
             QStringLiteral("刚被别人改"));
    QCOMPARE(kvtest::storedCount(h.db()), 31L);

    // Refreshing with the cursor already in column 0 (so the refill's own moves raise the last
    // row-enter while the first row is the only one): Delete still follows the first row.
    h.press(Qt::Key_PageDown, Qt::ControlModifier);
    h.click(QStringLiteral("TlbRefresh"));
    QCOMPARE(h.grid().currentRow(), 1L);
    QCOMPARE(h.buttons(), QStringLiteral("-+-++"));
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::closingSavesAPendingChange_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("newRow");
    QTest::addColumn<bool>("editorOpen");
    QTest::newRow("button, new row") << "button" << true << false;
    QTest::newRow("button, changed row") << "button" << false << false;
    QTest::newRow("Alt+F4, new row") << "Alt+F4" << true << false;
    QTest::newRow("Alt+F4, changed row") << "Alt+F4" << false << false;
    QTest::newRow("close box, cell editor open") << "close box" << false << true;
}

void tst_Commands::closingSavesAPendingChange()
{
    QFETCH(QString, how);
    QFETCH(bool, newRow);
    QFETCH(bool, editorOpen);
    BrowserHarness h;
    {
        h.open();
        kvtest::ModalDriver modal;
        if (newRow) {
            typeNewSummary(h, QStringLiteral("77"), QStringLiteral("半截"));
        } else {
            h.goToRow(8);
            h.press(Qt::Key_Right);
            h.type(QStringLiteral("改了没存"));
            if (!editorOpen)
                h.press(Qt::Key_Return);
        }
        QVERIFY(h.window().editing());
        QCOMPARE(h.grid().isEditing(), editorOpen);
        if (how == QLatin1String("Alt+F4"))
            h.press(Qt::Key_F4, Qt::AltModifier);
        else if (how == QLatin1String("button"))
            h.click(QStringLiteral("TlbExit"));
        else
            h.window().close();
        QVERIFY(!h.window().isVisible());
        QVERIFY(!h.window().mRecObject);
        KV_VERIFY_MODALS(modal);
    }
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("77")),
             newRow ? QStringList({"77", "半截", "BJ", "(null)"}) : QStringList());
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("08")),
             QStringList({"08", newRow ? "计提折旧" : "改了没存", "JTZJ", "1602"}));
}

void tst_Commands::helpOpensTheViewer()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    QVERIFY(!helpViewer());
    h.click(QStringLiteral("TlbHelp"));
    QTRY_VERIFY(helpViewer());
    QWidget *viewer = helpViewer();
    QVERIFY(!viewer->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!viewer->windowTitle().isEmpty());
    // The window goes on working beside it.
    QVERIFY(h.window().isVisible());
    h.goToRow(2);
    QCOMPARE(h.grid().currentRow(), 2L);

    // A second request shows the same viewer again rather than another one.
    h.click(QStringLiteral("TlbHelp"));
    QCOMPARE(helpViewerCount(), 1);
    viewer->close();
    QTRY_VERIFY(!helpViewer());
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::shortcutsWithExtraModifiersDoNothing()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    h.goToRow(4);
    h.press(Qt::Key_Right);
    h.type(QStringLiteral("改过"));
    h.press(Qt::Key_Return);
    QVERIFY(h.window().keyPreview());
    QCOMPARE(h.buttons(), QStringLiteral("-++++"));

    h.press(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    h.press(Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    h.press(Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    h.press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    h.press(Qt::Key_F4, Qt::ShiftModifier);
    h.press(Qt::Key_F4, Qt::AltModifier | Qt::ControlModifier);
    h.press(Qt::Key_F4);
    h.press(Qt::Key_D, Qt::AltModifier);
    KV_VERIFY_MODALS(modal);
    QVERIFY(h.window().isVisible());
    QCOMPARE(h.row(4).at(1), QStringLiteral("改过"));
    QVERIFY(h.window().editing());
    QCOMPARE(kvtest::storedCount(h.db()), 32L);

    // The plain shortcut does act: Ctrl+Z puts the row back.
    QVERIFY(h.window().keyPreview());
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(4).at(1), QStringLiteral("现金存入银行"));
    QVERIFY(!h.window().editing());
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::shortcutsOfDisabledButtonsDoNothing()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    // On the blank entry row Delete, Cancel and Add are off.
    QCOMPARE(h.buttons(), QStringLiteral("---++"));
    QVERIFY(h.window().keyPreview());
    h.press(Qt::Key_D, Qt::ControlModifier);
    h.press(Qt::Key_Z, Qt::ControlModifier);
    h.press(Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(h.grid().currentRow(), 33L);
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(!h.window().editing());

    // A typed row: Delete stays off there, so Ctrl+D neither asks nor clears the row.
    typeNewSummary(h, QStringLiteral("66"), QStringLiteral("留着"));
    QVERIFY(!h.enabled(QStringLiteral("TlbDel")));
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(33), QStringList({"66", "留着", "LZ", ""}));
    QVERIFY(h.window().editing());

    // Cancel empties the row and turns itself off; on an unchanged existing row Ctrl+Z then has
    // nothing to act on.
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(33), QStringList({"", "", "", ""}));
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    h.goToRow(6);
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(6), QStringList({"06", "报销办公费", "BXBGF", "管理费用"}));
    QVERIFY(!h.window().editing());

    // A shortcut of a button someone else turned off does nothing either.
    h.window().button(QStringLiteral("TlbDel"))->setEnabled(false);
    h.press(Qt::Key_D, Qt::ControlModifier);
    h.window().button(QStringLiteral("TlbExit"))->setEnabled(false);
    h.press(Qt::Key_F4, Qt::AltModifier);
    QVERIFY(h.window().isVisible());
    h.window().button(QStringLiteral("TlbExit"))->setEnabled(true);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
    QVERIFY(kvtest::storedSummary(h.db(), QStringLiteral("66")).isEmpty());
}

void tst_Commands::shortcutsWaitForTheCellEditor()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    h.goToRow(4);
    h.press(Qt::Key_Right);
    h.type(QStringLiteral("改"));
    QVERIFY(h.grid().isEditing());
    QVERIFY(!h.window().keyPreview());
    // While the editor is open the window's keys belong to the editor.
    h.press(Qt::Key_D, Qt::ControlModifier);
    h.press(Qt::Key_K, Qt::ControlModifier);
    h.press(Qt::Key_Z, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QVERIFY(h.grid().isEditing());
    QCOMPARE(kvtest::storedCount(h.db()), 32L);

    // Esc closes the editor without moving the cursor; the window's keys work again at once.
    h.press(Qt::Key_Escape);
    QVERIFY(!h.grid().isEditing());
    modal.expectMessage(QStringLiteral("确实要删除常用摘要---现金存入银行  吗?"),
                        QMessageBox::Question, QMessageBox::No);
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    const long beeps = BeepCount();
    h.type(QStringLiteral("'"));
    QCOMPARE(BeepCount(), beeps + 1);
    QVERIFY(!h.grid().isEditing());

    // So they do after Enter has committed the last column, where the cursor cannot move on.
    h.grid().setCurrentColumn(3);
    h.settle();
    h.type(QStringLiteral("1001"));
    h.press(Qt::Key_Return);
    QCOMPARE(h.grid().currentColumn(), 3L);
    QCOMPARE(h.row(4).at(3), QStringLiteral("库存现金"));
    QVERIFY(h.enabled(QStringLiteral("TlbCancel")));
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(4).at(3), QStringLiteral("银行存款"));
    QVERIFY(!h.window().editing());
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("04")).value(3), QStringLiteral("1002"));
}

void tst_Commands::ctrlIOnAnExistingRowDoesNothing()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    // Editing an existing row: Add is off, and Ctrl+I does nothing.
    h.goToRow(9);
    h.press(Qt::Key_Right);
    h.type(QStringLiteral("计提工资及社保"));
    h.press(Qt::Key_Return);
    QVERIFY(h.window().editing());
    QVERIFY(!h.window().mblnAddMark);
    h.press(Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 9L);
    QCOMPARE(h.row(9).at(1), QStringLiteral("计提工资及社保"));

    // Emptying the text and leaving the row is refused, which turns Add on while the existing row
    // is still being edited: Ctrl+I still requires the adding state.
    h.press(Qt::Key_Left);
    h.type(QStringLiteral(" "));
    h.press(Qt::Key_Backspace);
    h.press(Qt::Key_Return);
    QCOMPARE(h.row(9).at(1), QString());
    modal.expectMessage(kNoText, QMessageBox::Critical);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 9L);
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));
    QVERIFY(h.window().keyPreview());
    h.press(Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 9L);
    QCOMPARE(h.grid().rowCount(), 34L);
    QVERIFY(h.window().editing());
    QVERIFY(!h.window().mblnAddMark);

    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(9), QStringList({"09", "计提工资", "JTGZ", "应付职工薪酬"}));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("09")),
             QStringList({"09", "计提工资", "JTGZ", "2211"}));
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
}

void tst_Commands::quoteAndBarAreRefusedWithABeep()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    for (long row : {3L, 33L}) {
        h.goToRow(row);
        for (long col : {0L, 1L, 3L}) {
            h.grid().setCurrentColumn(col);
            h.settle();
            const QStringList cells = h.row(row);
            for (const QString &refused : {QStringLiteral("'"), QStringLiteral("|")}) {
                QVERIFY(h.window().keyPreview());
                const long beeps = BeepCount();
                h.type(refused);
                QCOMPARE(BeepCount(), beeps + 1);
                QVERIFY(!h.grid().isEditing());
                QVERIFY(!h.window().editing());
                QCOMPARE(h.row(row), cells);
            }
        }
    }
    // Any other character opens the cell editor with it, without a beep.
    const long beeps = BeepCount();
    h.type(QStringLiteral("\""));
    QVERIFY(h.grid().isEditing());
    QCOMPARE(h.grid().editor()->text(), QStringLiteral("\""));
    QCOMPARE(BeepCount(), beeps);
    h.press(Qt::Key_Escape);
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::enterInTheAccountColumnSavesTheNewRow()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    typeNewSummary(h, QStringLiteral("77"), QStringLiteral("收到租金"));
    QCOMPARE(h.grid().currentColumn(), 3L);
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(h.window().editing());
    QVERIFY(h.window().keyPreview());

    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("77")),
             QStringList({"77", "收到租金", "SDZJ", "(null)"}));
    QCOMPARE(h.grid().rowCount(), 35L);
    QCOMPARE(h.row(33), QStringList({"77", "收到租金", "SDZJ", ""}));
    QCOMPARE(h.row(34), QStringList({"", "", "", ""}));
    QCOMPARE(h.grid().currentRow(), 34L);
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(!h.window().editing());
    QCOMPARE(h.window().rowSnapshot()[0], QString());
    QVERIFY(!h.enabled(QStringLiteral("TlbAdd")));
    QVERIFY(!h.enabled(QStringLiteral("TlbDel")));

    // With an account typed too: the account cell is committed by its own Enter first.
    typeNewSummary(h, QStringLiteral("78"), QStringLiteral("支付租金"));
    h.type(QStringLiteral("6602"));
    h.press(Qt::Key_Return);
    QCOMPARE(h.row(34).at(3), QStringLiteral("管理费用"));
    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("78")),
             QStringList({"78", "支付租金", "ZFZJ", "6602"}));
    QCOMPARE(h.grid().rowCount(), 36L);
    QCOMPARE(h.grid().currentRow(), 35L);
    QVERIFY(h.window().mblnAddMark);
    QCOMPARE(kvtest::storedCount(h.db()), 34L);
}

void tst_Commands::enterInTheAccountColumnSavesTheOnlyRow()
{
    kvtest::OpenBrowser h(kvtest::hostDatabase(false));
    kvtest::ModalDriver modal;
    QCOMPARE(h.grid().rowCount(), 2L);
    typeNewSummary(h, QStringLiteral("01"), QStringLiteral("第一条"));
    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("01")),
             QStringList({"01", "第一条", "DYT", "(null)"}));
    QCOMPARE(h.grid().rowCount(), 3L);
    QCOMPARE(h.row(1), QStringList({"01", "第一条", "DYT", ""}));
    QCOMPARE(h.row(2), QStringList({"", "", "", ""}));
    QCOMPARE(h.grid().currentRow(), 2L);
    QCOMPARE(h.grid().currentColumn(), 0L);
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(!h.window().editing());
    QCOMPARE(h.window().rowSnapshot()[0], QString());
    QVERIFY(!h.enabled(QStringLiteral("TlbAdd")));

    // The next summary goes in the same way, now with a row above it.
    typeNewSummary(h, QStringLiteral("02"), QStringLiteral("第二条"));
    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(h.db()), 2L);
    QCOMPARE(h.row(2), QStringList({"02", "第二条", "DET", ""}));
    QCOMPARE(h.grid().currentRow(), 3L);
}

void tst_Commands::enterElsewhereOnlyReachesTheGrid()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    // In the text column of the typed blank entry row Enter only moves on to the next column.
    h.type(QStringLiteral("79"));
    h.press(Qt::Key_Tab);
    h.type(QStringLiteral("还没完"));
    h.press(Qt::Key_Return);
    QCOMPARE(h.grid().currentRow(), 33L);
    QCOMPARE(h.grid().currentColumn(), 2L);
    h.press(Qt::Key_Return);
    QCOMPARE(h.grid().currentColumn(), 3L);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(33), QStringList({"", "", "", ""}));

    // In the account column of an existing row it saves nothing and adds no row.
    h.goToRow(4);
    h.grid().setCurrentColumn(3);
    h.settle();
    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 4L);
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
}

void tst_Commands::enterWithADuplicateCodeKeepsTheRow_data()
{
    QTest::addColumn<bool>("rowsAbove");
    QTest::newRow("summaries above") << true;
    QTest::newRow("the only row") << false;
}

void tst_Commands::enterWithADuplicateCodeKeepsTheRow()
{
    QFETCH(bool, rowsAbove);
    BrowserHarness h(kvtest::hostDatabase(false));
    if (rowsAbove)
        kvtest::insertSummaries(h.db(), {{"01", "一号", "YH", ""}, {"02", "二号", "EH", ""}});
    h.open();
    kvtest::ModalDriver modal;
    const long blank = h.grid().rowCount() - 1;
    // Another user stores the code first.
    kvtest::OtherUser()->Execute(
        QStringLiteral("INSERT INTO GL_bDigest (cId, cText) VALUES ('05', '别人的')"));
    typeNewSummary(h, QStringLiteral("05"), QStringLiteral("我的"));
    modal.expectMessage(kExists, QMessageBox::Critical);
    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("05")).value(1),
             QStringLiteral("别人的"));
    // The typed row stays where it is, still to be corrected and saved.
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(h.grid().rowCount(), blank + 1);
    QCOMPARE(h.row(blank), QStringList({"05", "我的", "WD", ""}));
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(h.window().editing());

    h.grid().setCurrentColumn(0);
    h.settle();
    h.type(QStringLiteral("06"));
    h.press(Qt::Key_Return);
    h.grid().setCurrentColumn(3);
    h.settle();
    h.press(Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("06")).value(1), QStringLiteral("我的"));
    QCOMPARE(h.grid().rowCount(), blank + 2);
    QCOMPARE(h.grid().currentRow(), blank + 1);
}

void tst_Commands::addOnAnExistingSummaryIsRefused()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    // Saving a new row by moving away leaves Add on; the cursor then goes to an existing summary.
    typeNewSummary(h, QStringLiteral("80"), QStringLiteral("新增一条"));
    h.press(Qt::Key_Up);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("80")).value(1),
             QStringLiteral("新增一条"));
    QCOMPARE(h.grid().currentRow(), 34L);
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));
    h.press(Qt::Key_Up);
    QCOMPARE(h.grid().currentRow(), 33L);
    QVERIFY(!h.window().mblnAddMark);
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));

    modal.expectMessage(kExists, QMessageBox::Critical);
    h.click(QStringLiteral("TlbAdd"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 34L);
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(!h.enabled(QStringLiteral("TlbAdd")));
    QCOMPARE(h.row(33), QStringList({"80", "新增一条", "XZYT", ""}));
    QCOMPARE(h.row(34), QStringList({"", "", "", ""}));
    QCOMPARE(h.grid().rowCount(), 35L);
    QCOMPARE(kvtest::storedCount(h.db()), 33L);

    // Nothing is left pending: the user goes on browsing without a question, and the summary the
    // Add was pressed on is not written again (over another user's change to it, say).
    QVERIFY(!h.window().editing());
    kvtest::OtherUser()->Execute(
        QStringLiteral("UPDATE GL_bDigest SET cText = '别人改的' WHERE cId = '80'"));
    h.press(Qt::Key_Up);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 32L);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("80")).value(1),
             QStringLiteral("别人改的"));
    QCOMPARE(kvtest::storedCount(h.db()), 33L);

    // Add on an existing row whose text was emptied (leaving it was refused, which turns Add on):
    // refused again; the cursor goes to the blank entry row and the row shows what is stored.
    h.goToRow(9);
    h.press(Qt::Key_Right);
    h.type(QStringLiteral(" "));
    h.press(Qt::Key_Backspace);
    h.press(Qt::Key_Return);
    modal.expectMessage(kNoText, QMessageBox::Critical);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));
    modal.expectMessage(kNoText, QMessageBox::Critical);
    h.click(QStringLiteral("TlbAdd"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 34L);
    QVERIFY(!h.enabled(QStringLiteral("TlbAdd")));
    QVERIFY(!h.window().editing());
    QCOMPARE(h.row(9), QStringList({"09", "计提工资", "JTGZ", "应付职工薪酬"}));
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("09")),
             QStringList({"09", "计提工资", "JTGZ", "2211"}));
    h.press(Qt::Key_Up);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);

    // Add on a summary another user deleted meanwhile stores it again in its own row; the blank
    // entry row stays the one row below the summaries.
    h.goToRow(34);
    typeNewSummary(h, QStringLiteral("81"), QStringLiteral("再增一条"));
    h.press(Qt::Key_Up);
    h.press(Qt::Key_Up);
    QCOMPARE(h.grid().currentRow(), 34L);
    kvtest::OtherUser()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId = '81'"));
    h.click(QStringLiteral("TlbAdd"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("81")).value(1),
             QStringLiteral("再增一条"));
    QCOMPARE(h.grid().rowCount(), 36L);
    QCOMPARE(h.row(34).value(0), QStringLiteral("81"));
    QCOMPARE(h.grid().currentRow(), 35L);
    QCOMPARE(h.row(35), QStringList({"", "", "", ""}));
}

void tst_Commands::moveOnAnEmptyListing()
{
    kvtest::OpenBrowser h(kvtest::hostDatabase(false));
    frmDigBrowse &w = h.window();
    QVERIFY(!w.FFirst());
    QVERIFY(!w.FLast());
    QVERIFY(!w.FNext());
    QVERIFY(!w.FPrevious());
    QVERIFY(!w.FCur());
    for (int direction : {2, 3, 4, 5, 6, 7, 0, -1})
        QVERIFY(!w.FMove(direction));
    QVERIFY(w.mRecObject->isEOF());
}

void tst_Commands::moveStaysAtTheEnds()
{
    kvtest::OpenBrowser h;
    frmDigBrowse &w = h.window();
    h.goToRow(32);
    QVERIFY(w.FCur());
    QCOMPARE(h.currentCode(), QStringLiteral("32"));
    QVERIFY(!w.FNext());
    QCOMPARE(h.currentCode(), QStringLiteral("32"));
    QVERIFY(!w.FNext());
    QCOMPARE(h.currentCode(), QStringLiteral("32"));
    QVERIFY(w.FPrevious());
    QCOMPARE(h.currentCode(), QStringLiteral("31"));
    QVERIFY(w.FFirst());
    QVERIFY(!w.FPrevious());
    QCOMPARE(h.currentCode(), QStringLiteral("01"));
    // The grid's cursor is not moved by any of this.
    QCOMPARE(h.grid().currentRow(), 32L);
}

void tst_Commands::currentAfterOtherUsersAndTyping()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    frmDigBrowse &w = h.window();
    h.goToRow(12);
    QVERIFY(w.FCur());
    QCOMPARE(h.currentCode(), QStringLiteral("12"));

    // A new code typed into the row: the record is still found by the code the row was entered
    // with.
    h.type(QStringLiteral("99"));
    h.press(Qt::Key_Return);
    QCOMPARE(h.grid().text(12, 0), QStringLiteral("99"));
    QCOMPARE(w.rowSnapshot()[0], QStringLiteral("12"));
    QVERIFY(w.FCur());
    QCOMPARE(h.currentCode(), QStringLiteral("12"));
    h.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.grid().text(12, 0), QStringLiteral("12"));

    // Another user deletes the summary of the cursor's row: it is not found any more.
    kvtest::OtherUser()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId = '12'"));
    QVERIFY(!w.FCur());
    // Others' deletions elsewhere do not disturb finding this row's summary.
    h.goToRow(13);
    kvtest::OtherUser()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId = '14'"));
    QVERIFY(w.FCur());
    QCOMPARE(h.currentCode(), QStringLiteral("13"));
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::findLeavesTheEntryRow_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("buttons");
    QTest::newRow("F2, Esc") << "F2 Esc" << QString() << "++-++";
    QTest::newRow("typed and erased") << "X Backspace Enter" << QString() << "++-++";
    QTest::newRow("text without a code") << "Right text Enter" << kNoCode << "+-+++";
}

// Editors opened and given up on the blank entry row leave nothing to save: Find moves away as a
// cursor move does. What is still typed there is checked as before, and keeps the cursor.
void tst_Commands::findLeavesTheEntryRow()
{
    QFETCH(QString, keys);
    QFETCH(QString, message);
    QFETCH(QString, buttons);
    kvtest::OpenBrowser h;
    const long entryRow = h.grid().rowCount() - 1;
    QCOMPARE(h.grid().currentRow(), entryRow);
    const QHash<QString, Qt::Key> named = {{"F2", Qt::Key_F2},
                                           {"Esc", Qt::Key_Escape},
                                           {"Backspace", Qt::Key_Backspace},
                                           {"Enter", Qt::Key_Return},
                                           {"Right", Qt::Key_Right}};
    for (const QString &key : keys.split(QLatin1Char(' '))) {
        if (named.contains(key))
            h.press(named.value(key));
        else
            h.type(key);
    }
    QVERIFY(h.window().editing());

    kvtest::ModalDriver modal;
    modal.expectDialog([](QWidget *dialog) {
        kvtest::typeText(dialog->findChild<QComboBox *>(QStringLiteral("cboId")), "05");
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdYes")),
                          Qt::LeftButton);
    });
    if (!message.isEmpty())
        modal.expectMessage(message, QMessageBox::Critical);
    h.click(QStringLiteral("TlbFind"));
    h.settle();
    KV_VERIFY_MODALS(modal);
    QCOMPARE(modal.messages().size(), message.isEmpty() ? 0 : 1);
    QCOMPARE(h.grid().currentRow(), message.isEmpty() ? 5L : entryRow);
    QCOMPARE(h.window().editing(), !message.isEmpty());
    QCOMPARE(h.window().mblnAddMark, !message.isEmpty());
    QCOMPARE(h.buttons(), buttons);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
}

// Find goes to the row that shows the summary wherever an addition, a save under a new code, a
// deletion and a header sort have put it.
void tst_Commands::findGoesWhereTheGridShowsIt()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    GridControl &grid = h.grid();
    kvtest::clickCell(grid, grid.rowCount() - 1, 0);
    kvtest::typeInto(grid, QStringLiteral("50"));
    kvtest::pressKey(grid, Qt::Key_Tab);
    kvtest::typeInto(grid, QStringLiteral("新增的摘要"));
    kvtest::pressKey(grid, Qt::Key_Tab);
    h.click(QStringLiteral("TlbAdd"));
    h.goToRow(12);
    h.type(QStringLiteral("98"));
    h.press(Qt::Key_Return);
    h.press(Qt::Key_Down);
    h.goToRow(4);
    modal.expectDialog([](QWidget *question) {
        static_cast<QMessageBox *>(question)->button(QMessageBox::Yes)->click();
    });
    h.click(QStringLiteral("TlbDel"));
    h.settle();
    kvtest::clickCell(grid, 1, 1);
    kvtest::clickHeader(grid, 1);
    h.settle();
    for (const QString code : {"50", "98", "05", "32", "01"}) {
        modal.expectDialog([code](QWidget *dialog) {
            kvtest::typeText(dialog->findChild<QComboBox *>(QStringLiteral("cboId")), code);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdYes")),
                              Qt::LeftButton);
        });
        h.click(QStringLiteral("TlbFind"));
        h.settle();
        QCOMPARE(grid.text(grid.currentRow(), 0), code);
    }
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
}

KV_TEST_MAIN(tst_Commands)
#include "tst_commands.moc"
