// The window's commands, toolbar and keyboard, driven as a user drives them: real key presses on
// the grid, real clicks on the toolbar buttons, the message boxes answered by the modal driver.
#include "Beep.h"
#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "ModalDriver.h"
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

QString codeOfCurrentRecord(frmDigBrowse &window)
{
    return window.mRecObject->Fields(QStringLiteral("cID")).toString();
}

// The codes as stored, in listing order.
QStringList storedCodes(DataKit::Database &db)
{
    const auto rs = db.OpenRecordset(QStringLiteral("Select cId From GL_bDigest Order By cId"),
                                     DataKit::dbOpenSnapshot);
    QStringList codes;
    while (!rs->isEOF()) {
        codes << rs->Fields(0).toString();
        rs->MoveNext();
    }
    return codes;
}

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

void press(BrowserHarness &h, Qt::Key key, Qt::KeyboardModifiers mods = {})
{
    kvtest::pressKey(h.grid(), key, mods);
    h.settle();
}

void type(BrowserHarness &h, const QString &text)
{
    kvtest::typeInto(h.grid(), text);
    h.settle();
}

void goToRow(BrowserHarness &h, long row)
{
    h.grid().setCurrentRow(row);
    h.grid().setCurrentColumn(0);
    h.settle();
}

// Types a new summary into the blank entry row and leaves the cursor in its account column,
// with the cell editor closed: the adding state, key preview on.
void typeNewSummary(BrowserHarness &h, const QString &code, const QString &text)
{
    type(h, code);
    press(h, Qt::Key_Tab);
    type(h, text);
    press(h, Qt::Key_Tab);
    press(h, Qt::Key_Tab);
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
};

void tst_Commands::cleanup()
{
    QTRY_VERIFY(!QApplication::activeModalWidget());
    while (QWidget *viewer = helpViewer())
        viewer->close();
}

void tst_Commands::unknownAndOtherCaseKeysDoNothing()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    // A pending change on row 4 that each of the real commands would touch: Cancel would put the
    // text back, Add would try to add it, Refresh would drop it, Exit would close the window.
    goToRow(h, 4);
    press(h, Qt::Key_Right);
    type(h, QStringLiteral("改过"));
    press(h, Qt::Key_Return);
    QVERIFY(h.window().editing());
    kvtest::anotherConnection()->Execute(
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
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("04")).value(1),
             QStringLiteral("现金存入银行"));
    QCOMPARE(kvtest::storedCount(*db), 33L);
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::refreshShowsTheStoredListing()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    const auto other = kvtest::anotherConnection();
    other->Execute(QStringLiteral("INSERT INTO GL_bDigest (cId, cText, chelp, cCode) VALUES "
                                  "('045', '别人加的', 'BRJD', '1001')"));
    other->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId IN ('06', '32')"));
    other->Execute(QStringLiteral("UPDATE GL_bDigest SET cText = '别人改的' WHERE cId = '07'"));

    // Half a new summary typed into the blank entry row: Add and Cancel are on.
    typeNewSummary(h, QStringLiteral("88"), QStringLiteral("未存"));
    QCOMPARE(h.buttons(), QStringLiteral("+-+++"));

    h.click(QStringLiteral("TlbRefresh"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.codes(), storedCodes(*db));
    QCOMPARE(h.grid().rowCount(), 33L);
    QCOMPARE(h.row(5), QStringList({"045", "别人加的", "BRJD", "库存现金"}));
    QCOMPARE(h.row(7), QStringList({"07", "别人改的", "ZFSDF", "管理费用"}));
    QCOMPARE(h.row(31), QStringList({"31", "期末调汇", "QMTH", ""}));
    QCOMPARE(h.row(32), QStringList({"", "", "", ""}));
    // The unsaved row is gone, in the grid and in the database; the cursor went to the first row.
    QVERIFY(kvtest::storedSummary(*db, QStringLiteral("88")).isEmpty());
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
    press(h, Qt::Key_Down);
    press(h, Qt::Key_Down);
    QCOMPARE(h.grid().currentRow(), 3L);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("01")).value(1),
             QStringLiteral("刚被别人改"));
    QCOMPARE(kvtest::storedCount(*db), 31L);

    // Refreshing with the cursor already in column 0 (so the refill's own moves raise the last
    // row-enter while the first row is the only one): Delete still follows the first row.
    press(h, Qt::Key_PageDown, Qt::ControlModifier);
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
    const auto db = kvtest::hostDatabase();
    {
        BrowserHarness h(db);
        h.open();
        kvtest::ModalDriver modal;
        if (newRow) {
            typeNewSummary(h, QStringLiteral("77"), QStringLiteral("半截"));
        } else {
            goToRow(h, 8);
            press(h, Qt::Key_Right);
            type(h, QStringLiteral("改了没存"));
            if (!editorOpen)
                press(h, Qt::Key_Return);
        }
        QVERIFY(h.window().editing());
        QCOMPARE(h.grid().isEditing(), editorOpen);
        if (how == QLatin1String("Alt+F4"))
            press(h, Qt::Key_F4, Qt::AltModifier);
        else if (how == QLatin1String("button"))
            h.click(QStringLiteral("TlbExit"));
        else
            h.window().close();
        QVERIFY(!h.window().isVisible());
        QVERIFY(!h.window().mRecObject);
        KV_VERIFY_MODALS(modal);
    }
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("77")),
             newRow ? QStringList({"77", "半截", "BJ", "(null)"}) : QStringList());
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("08")),
             QStringList({"08", newRow ? "计提折旧" : "改了没存", "JTZJ", "1602"}));
}

void tst_Commands::helpOpensTheViewer()
{
    BrowserHarness h(kvtest::hostDatabase());
    h.open();
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
    goToRow(h, 2);
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
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    goToRow(h, 4);
    press(h, Qt::Key_Right);
    type(h, QStringLiteral("改过"));
    press(h, Qt::Key_Return);
    QVERIFY(h.window().keyPreview());
    QCOMPARE(h.buttons(), QStringLiteral("-++++"));

    press(h, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    press(h, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    press(h, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    press(h, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    press(h, Qt::Key_F4, Qt::ShiftModifier);
    press(h, Qt::Key_F4, Qt::AltModifier | Qt::ControlModifier);
    press(h, Qt::Key_F4);
    press(h, Qt::Key_D, Qt::AltModifier);
    KV_VERIFY_MODALS(modal);
    QVERIFY(h.window().isVisible());
    QCOMPARE(h.row(4).at(1), QStringLiteral("改过"));
    QVERIFY(h.window().editing());
    QCOMPARE(kvtest::storedCount(*db), 32L);

    // The plain shortcut does act: Ctrl+Z puts the row back.
    QVERIFY(h.window().keyPreview());
    press(h, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(4).at(1), QStringLiteral("现金存入银行"));
    QVERIFY(!h.window().editing());
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::shortcutsOfDisabledButtonsDoNothing()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    // On the blank entry row Delete, Cancel and Add are off.
    QCOMPARE(h.buttons(), QStringLiteral("---++"));
    QVERIFY(h.window().keyPreview());
    press(h, Qt::Key_D, Qt::ControlModifier);
    press(h, Qt::Key_Z, Qt::ControlModifier);
    press(h, Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(h.grid().currentRow(), 33L);
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(!h.window().editing());

    // A typed row: Delete stays off there, so Ctrl+D neither asks nor clears the row.
    typeNewSummary(h, QStringLiteral("66"), QStringLiteral("留着"));
    QVERIFY(!h.enabled(QStringLiteral("TlbDel")));
    press(h, Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(33), QStringList({"66", "留着", "LZ", ""}));
    QVERIFY(h.window().editing());

    // Cancel empties the row and turns itself off; on an unchanged existing row Ctrl+Z then has
    // nothing to act on.
    press(h, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(33), QStringList({"", "", "", ""}));
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    goToRow(h, 6);
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    press(h, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(6), QStringList({"06", "报销办公费", "BXBGF", "管理费用"}));
    QVERIFY(!h.window().editing());

    // A shortcut of a button someone else turned off does nothing either.
    h.window().button(QStringLiteral("TlbDel"))->setEnabled(false);
    press(h, Qt::Key_D, Qt::ControlModifier);
    h.window().button(QStringLiteral("TlbExit"))->setEnabled(false);
    press(h, Qt::Key_F4, Qt::AltModifier);
    QVERIFY(h.window().isVisible());
    h.window().button(QStringLiteral("TlbExit"))->setEnabled(true);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(*db), 32L);
    QVERIFY(kvtest::storedSummary(*db, QStringLiteral("66")).isEmpty());
}

void tst_Commands::shortcutsWaitForTheCellEditor()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    goToRow(h, 4);
    press(h, Qt::Key_Right);
    type(h, QStringLiteral("改"));
    QVERIFY(h.grid().isEditing());
    QVERIFY(!h.window().keyPreview());
    // While the editor is open the window's keys belong to the editor.
    press(h, Qt::Key_D, Qt::ControlModifier);
    press(h, Qt::Key_K, Qt::ControlModifier);
    press(h, Qt::Key_Z, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QVERIFY(h.grid().isEditing());
    QCOMPARE(kvtest::storedCount(*db), 32L);

    // Esc closes the editor without moving the cursor; the window's keys work again at once.
    press(h, Qt::Key_Escape);
    QVERIFY(!h.grid().isEditing());
    modal.expectMessage(QStringLiteral("确实要删除常用摘要---现金存入银行  吗?"),
                        QMessageBox::Question, QMessageBox::No);
    press(h, Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    const long beeps = BeepCount();
    type(h, QStringLiteral("'"));
    QCOMPARE(BeepCount(), beeps + 1);
    QVERIFY(!h.grid().isEditing());

    // So they do after Enter has committed the last column, where the cursor cannot move on.
    h.grid().setCurrentColumn(3);
    h.settle();
    type(h, QStringLiteral("1001"));
    press(h, Qt::Key_Return);
    QCOMPARE(h.grid().currentColumn(), 3L);
    QCOMPARE(h.row(4).at(3), QStringLiteral("库存现金"));
    QVERIFY(h.enabled(QStringLiteral("TlbCancel")));
    press(h, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(4).at(3), QStringLiteral("银行存款"));
    QVERIFY(!h.window().editing());
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("04")).value(3), QStringLiteral("1002"));
}

void tst_Commands::ctrlIOnAnExistingRowDoesNothing()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    // Editing an existing row: Add is off, and Ctrl+I does nothing.
    goToRow(h, 9);
    press(h, Qt::Key_Right);
    type(h, QStringLiteral("计提工资及社保"));
    press(h, Qt::Key_Return);
    QVERIFY(h.window().editing());
    QVERIFY(!h.window().mblnAddMark);
    press(h, Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 9L);
    QCOMPARE(h.row(9).at(1), QStringLiteral("计提工资及社保"));

    // Emptying the text and leaving the row is refused, which turns Add on while the existing row
    // is still being edited: Ctrl+I still requires the adding state.
    press(h, Qt::Key_Left);
    type(h, QStringLiteral(" "));
    press(h, Qt::Key_Backspace);
    press(h, Qt::Key_Return);
    QCOMPARE(h.row(9).at(1), QString());
    modal.expectMessage(kNoText, QMessageBox::Critical);
    press(h, Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 9L);
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));
    QVERIFY(h.window().keyPreview());
    press(h, Qt::Key_I, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 9L);
    QCOMPARE(h.grid().rowCount(), 34L);
    QVERIFY(h.window().editing());
    QVERIFY(!h.window().mblnAddMark);

    press(h, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(9), QStringList({"09", "计提工资", "JTGZ", "应付职工薪酬"}));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("09")),
             QStringList({"09", "计提工资", "JTGZ", "2211"}));
    QCOMPARE(kvtest::storedCount(*db), 32L);
}

void tst_Commands::quoteAndBarAreRefusedWithABeep()
{
    BrowserHarness h(kvtest::hostDatabase());
    h.open();
    kvtest::ModalDriver modal;
    for (long row : {3L, 33L}) {
        goToRow(h, row);
        for (long col : {0L, 1L, 3L}) {
            h.grid().setCurrentColumn(col);
            h.settle();
            const QStringList cells = h.row(row);
            for (const QString &refused : {QStringLiteral("'"), QStringLiteral("|")}) {
                QVERIFY(h.window().keyPreview());
                const long beeps = BeepCount();
                type(h, refused);
                QCOMPARE(BeepCount(), beeps + 1);
                QVERIFY(!h.grid().isEditing());
                QVERIFY(!h.window().editing());
                QCOMPARE(h.row(row), cells);
            }
        }
    }
    // Any other character opens the cell editor with it, without a beep.
    const long beeps = BeepCount();
    type(h, QStringLiteral("\""));
    QVERIFY(h.grid().isEditing());
    QCOMPARE(h.grid().editor()->text(), QStringLiteral("\""));
    QCOMPARE(BeepCount(), beeps);
    press(h, Qt::Key_Escape);
    KV_VERIFY_MODALS(modal);
}

void tst_Commands::enterInTheAccountColumnSavesTheNewRow()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    typeNewSummary(h, QStringLiteral("77"), QStringLiteral("收到租金"));
    QCOMPARE(h.grid().currentColumn(), 3L);
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(h.window().editing());
    QVERIFY(h.window().keyPreview());

    press(h, Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("77")),
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
    type(h, QStringLiteral("6602"));
    press(h, Qt::Key_Return);
    QCOMPARE(h.row(34).at(3), QStringLiteral("管理费用"));
    press(h, Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("78")),
             QStringList({"78", "支付租金", "ZFZJ", "6602"}));
    QCOMPARE(h.grid().rowCount(), 36L);
    QCOMPARE(h.grid().currentRow(), 35L);
    QVERIFY(h.window().mblnAddMark);
    QCOMPARE(kvtest::storedCount(*db), 34L);
}

void tst_Commands::enterInTheAccountColumnSavesTheOnlyRow()
{
    const auto db = kvtest::hostDatabase(false);
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    QCOMPARE(h.grid().rowCount(), 2L);
    typeNewSummary(h, QStringLiteral("01"), QStringLiteral("第一条"));
    press(h, Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("01")),
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
    press(h, Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(*db), 2L);
    QCOMPARE(h.row(2), QStringList({"02", "第二条", "DET", ""}));
    QCOMPARE(h.grid().currentRow(), 3L);
}

void tst_Commands::enterElsewhereOnlyReachesTheGrid()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    // In the text column of the typed blank entry row Enter only moves on to the next column.
    type(h, QStringLiteral("79"));
    press(h, Qt::Key_Tab);
    type(h, QStringLiteral("还没完"));
    press(h, Qt::Key_Return);
    QCOMPARE(h.grid().currentRow(), 33L);
    QCOMPARE(h.grid().currentColumn(), 2L);
    press(h, Qt::Key_Return);
    QCOMPARE(h.grid().currentColumn(), 3L);
    QCOMPARE(kvtest::storedCount(*db), 32L);
    press(h, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.row(33), QStringList({"", "", "", ""}));

    // In the account column of an existing row it saves nothing and adds no row.
    goToRow(h, 4);
    h.grid().setCurrentColumn(3);
    h.settle();
    press(h, Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 4L);
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(kvtest::storedCount(*db), 32L);
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
    const auto db = kvtest::hostDatabase(false);
    if (rowsAbove)
        kvtest::insertSummaries(*db, {{"01", "一号", "YH", ""}, {"02", "二号", "EH", ""}});
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    const long blank = h.grid().rowCount() - 1;
    // Another user stores the code first.
    kvtest::anotherConnection()->Execute(
        QStringLiteral("INSERT INTO GL_bDigest (cId, cText) VALUES ('05', '别人的')"));
    typeNewSummary(h, QStringLiteral("05"), QStringLiteral("我的"));
    modal.expectMessage(kExists, QMessageBox::Critical);
    press(h, Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("05")).value(1), QStringLiteral("别人的"));
    // The typed row stays where it is, still to be corrected and saved.
    QCOMPARE(h.grid().currentRow(), blank);
    QCOMPARE(h.grid().rowCount(), blank + 1);
    QCOMPARE(h.row(blank), QStringList({"05", "我的", "WD", ""}));
    QVERIFY(h.window().mblnAddMark);
    QVERIFY(h.window().editing());

    h.grid().setCurrentColumn(0);
    h.settle();
    type(h, QStringLiteral("06"));
    press(h, Qt::Key_Return);
    h.grid().setCurrentColumn(3);
    h.settle();
    press(h, Qt::Key_Return);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("06")).value(1), QStringLiteral("我的"));
    QCOMPARE(h.grid().rowCount(), blank + 2);
    QCOMPARE(h.grid().currentRow(), blank + 1);
}

void tst_Commands::addOnAnExistingSummaryIsRefused()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    // Saving a new row by moving away leaves Add on; the cursor then goes to an existing summary.
    typeNewSummary(h, QStringLiteral("80"), QStringLiteral("新增一条"));
    press(h, Qt::Key_Up);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("80")).value(1), QStringLiteral("新增一条"));
    QCOMPARE(h.grid().currentRow(), 34L);
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));
    press(h, Qt::Key_Up);
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
    QCOMPARE(kvtest::storedCount(*db), 33L);

    // Nothing is left pending: the user goes on browsing without a question, and the summary the
    // Add was pressed on is not written again (over another user's change to it, say).
    QVERIFY(!h.window().editing());
    kvtest::anotherConnection()->Execute(
        QStringLiteral("UPDATE GL_bDigest SET cText = '别人改的' WHERE cId = '80'"));
    press(h, Qt::Key_Up);
    press(h, Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 32L);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("80")).value(1), QStringLiteral("别人改的"));
    QCOMPARE(kvtest::storedCount(*db), 33L);

    // Add on an existing row whose text was emptied (leaving it was refused, which turns Add on):
    // refused again; the cursor goes to the blank entry row and the row shows what is stored.
    goToRow(h, 9);
    press(h, Qt::Key_Right);
    type(h, QStringLiteral(" "));
    press(h, Qt::Key_Backspace);
    press(h, Qt::Key_Return);
    modal.expectMessage(kNoText, QMessageBox::Critical);
    press(h, Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));
    modal.expectMessage(kNoText, QMessageBox::Critical);
    h.click(QStringLiteral("TlbAdd"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 34L);
    QVERIFY(!h.enabled(QStringLiteral("TlbAdd")));
    QVERIFY(!h.window().editing());
    QCOMPARE(h.row(9), QStringList({"09", "计提工资", "JTGZ", "应付职工薪酬"}));
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("09")),
             QStringList({"09", "计提工资", "JTGZ", "2211"}));
    press(h, Qt::Key_Up);
    press(h, Qt::Key_Up);
    KV_VERIFY_MODALS(modal);

    // Add on a summary another user deleted meanwhile stores it again in its own row; the blank
    // entry row stays the one row below the summaries.
    goToRow(h, 34);
    typeNewSummary(h, QStringLiteral("81"), QStringLiteral("再增一条"));
    press(h, Qt::Key_Up);
    press(h, Qt::Key_Up);
    QCOMPARE(h.grid().currentRow(), 34L);
    kvtest::anotherConnection()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId = '81'"));
    h.click(QStringLiteral("TlbAdd"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, QStringLiteral("81")).value(1), QStringLiteral("再增一条"));
    QCOMPARE(h.grid().rowCount(), 36L);
    QCOMPARE(h.row(34).value(0), QStringLiteral("81"));
    QCOMPARE(h.grid().currentRow(), 35L);
    QCOMPARE(h.row(35), QStringList({"", "", "", ""}));
}

void tst_Commands::moveOnAnEmptyListing()
{
    BrowserHarness h(kvtest::hostDatabase(false));
    h.open();
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
    BrowserHarness h(kvtest::hostDatabase());
    h.open();
    frmDigBrowse &w = h.window();
    goToRow(h, 32);
    QVERIFY(w.FCur());
    QCOMPARE(codeOfCurrentRecord(w), QStringLiteral("32"));
    QVERIFY(!w.FNext());
    QCOMPARE(codeOfCurrentRecord(w), QStringLiteral("32"));
    QVERIFY(!w.FNext());
    QCOMPARE(codeOfCurrentRecord(w), QStringLiteral("32"));
    QVERIFY(w.FPrevious());
    QCOMPARE(codeOfCurrentRecord(w), QStringLiteral("31"));
    QVERIFY(w.FFirst());
    QVERIFY(!w.FPrevious());
    QCOMPARE(codeOfCurrentRecord(w), QStringLiteral("01"));
    // The grid's cursor is not moved by any of this.
    QCOMPARE(h.grid().currentRow(), 32L);
}

void tst_Commands::currentAfterOtherUsersAndTyping()
{
    const auto db = kvtest::hostDatabase();
    BrowserHarness h(db);
    h.open();
    kvtest::ModalDriver modal;
    frmDigBrowse &w = h.window();
    goToRow(h, 12);
    QVERIFY(w.FCur());
    QCOMPARE(codeOfCurrentRecord(w), QStringLiteral("12"));

    // A new code typed into the row: the record is still found by the code the row was entered
    // with.
    type(h, QStringLiteral("99"));
    press(h, Qt::Key_Return);
    QCOMPARE(h.grid().text(12, 0), QStringLiteral("99"));
    QCOMPARE(w.rowSnapshot()[0], QStringLiteral("12"));
    QVERIFY(w.FCur());
    QCOMPARE(codeOfCurrentRecord(w), QStringLiteral("12"));
    press(h, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.grid().text(12, 0), QStringLiteral("12"));

    // Another user deletes the summary of the cursor's row: it is not found any more.
    kvtest::anotherConnection()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId = '12'"));
    QVERIFY(!w.FCur());
    // Others' deletions elsewhere do not disturb finding this row's summary.
    goToRow(h, 13);
    kvtest::anotherConnection()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId = '14'"));
    QVERIFY(w.FCur());
    QCOMPARE(codeOfCurrentRecord(w), QStringLiteral("13"));
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
    BrowserHarness h(kvtest::hostDatabase());
    h.open();
    const long entryRow = h.grid().rowCount() - 1;
    QCOMPARE(h.grid().currentRow(), entryRow);
    const QHash<QString, Qt::Key> named = {{"F2", Qt::Key_F2},
                                           {"Esc", Qt::Key_Escape},
                                           {"Backspace", Qt::Key_Backspace},
                                           {"Enter", Qt::Key_Return},
                                           {"Right", Qt::Key_Right}};
    for (const QString &key : keys.split(QLatin1Char(' '))) {
        if (named.contains(key))
            press(h, named.value(key));
        else
            type(h, key);
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

KV_TEST_MAIN(tst_Commands)
#include "tst_commands.moc"
