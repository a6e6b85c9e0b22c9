// Deleting summaries from the window: one at a time and in selected groups, with the toolbar
// button and Ctrl+D, against a second connection that deletes, uses or locks rows meanwhile.
#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "Recordset.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

using kvtest::BrowserHarness;

namespace {

const QString kGroupQuestion = QStringLiteral("确实要删除选中的一组记录吗?");
const QString kGone = QStringLiteral("该常用摘要已被他人删除，不能删除！");
const QString kInUse = QStringLiteral("该摘要已经在其它数据表中使用，不能修改或删除！");
const QString kLocked = QStringLiteral("该记录已被他人锁定使用，不能修改！");
const QString kReadOnly = QStringLiteral("常用摘要以只读方式打开，不能删除！");

QString question(const QString &text)
{
    return QStringLiteral("确实要删除常用摘要---") + text + QStringLiteral("  吗?");
}

// Eight summaries that no voucher line uses, for the group deletions.
std::shared_ptr<DataKit::Database> eightSummaries()
{
    const auto db = kvtest::hostDatabase(false);
    kvtest::insertSummaries(*db, {{"01", "一号", "YH", ""},
                                  {"02", "二号", "EH", ""},
                                  {"03", "三号", "SH", ""},
                                  {"04", "四号", "SH", ""},
                                  {"05", "五号", "WH", ""},
                                  {"06", "六号", "LH", ""},
                                  {"07", "七号", "QH", ""},
                                  {"08", "八号", "BH", ""}});
    return db;
}

QStringList allRows(const BrowserHarness &h)
{
    QStringList rows;
    for (long r = 1; r < h.grid().rowCount(); ++r)
        rows << h.row(r).join(QLatin1Char('|'));
    return rows;
}

// What every deletion must leave behind: one blank entry row at the bottom and none above it, the
// snapshot of the cursor's row, mblnAddMark telling whether that is the blank entry row, nothing
// pending, and Delete available exactly on the summaries.
void checkConsistent(const BrowserHarness &h)
{
    const GridControl &grid = h.grid();
    const frmDigBrowse &w = h.window();
    const long last = grid.rowCount() - 1;
    QVERIFY(last >= 1);
    QCOMPARE(h.row(last), QStringList({"", "", "", ""}));
    for (long r = 1; r < last; ++r)
        QVERIFY2(!grid.text(r, 0).isEmpty(), qPrintable(QStringLiteral("row %1 is blank").arg(r)));
    const long current = grid.currentRow();
    QVERIFY(current >= 1 && current <= last);
    QCOMPARE(grid.selectionEndRow(), current);
    const auto &snapshot = w.rowSnapshot();
    QCOMPARE(QStringList(snapshot.begin(), snapshot.end()), h.row(current));
    QCOMPARE(w.mblnAddMark, current == last);
    QVERIFY(!w.editing());
    QCOMPARE(h.enabled(QStringLiteral("TlbDel")), current != last);
    QVERIFY(!grid.isEditing());
}

#define CHECK_CONSISTENT(h)                                                                        \
    do {                                                                                           \
        checkConsistent(h);                                                                        \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

// The cursor on `from`, the selection stretched to `to` with Shift and the arrow keys.
void selectRows(BrowserHarness &h, long from, long to)
{
    h.goToRow(from);
    const Qt::Key key = to > from ? Qt::Key_Down : Qt::Key_Up;
    for (long i = 0; i < std::abs(to - from); ++i)
        h.press(key, Qt::ShiftModifier);
    QCOMPARE(h.grid().currentRow(), from);
    QCOMPARE(h.grid().selectionEndRow(), to);
}

void deleteBy(BrowserHarness &h, bool shortcut)
{
    if (shortcut)
        h.press(Qt::Key_D, Qt::ControlModifier);
    else
        h.click(QStringLiteral("TlbDel"));
}

} // namespace

class tst_Delete : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void deletesOneSummary_data();
    void deletesOneSummary();
    void deletesARowBeingEdited_data();
    void deletesARowBeingEdited();
    void deletesTheLastSummary();
    void deleteOnTheBlankRowUndoesTheTyping();
    void deletesAGroup_data();
    void deletesAGroup();
    void groupEndingOnTheBlankRowDoesNothing();
    void usedSummariesAreRefused();
    void alreadyDeletedByAnother();
    void groupMeetsASummaryDeletedByAnother_data();
    void groupMeetsASummaryDeletedByAnother();
    void lockedByAnother();
    void heldExclusivelyByAnother();
    void readOnlyRefuses();
};

void tst_Delete::cleanup()
{
    KV_VERIFY_NOTHING_LEFT();
}

void tst_Delete::deletesOneSummary_data()
{
    QTest::addColumn<bool>("shortcut");
    QTest::newRow("button") << false;
    QTest::newRow("Ctrl+D") << true;
}

void tst_Delete::deletesOneSummary()
{
    QFETCH(bool, shortcut);
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    h.goToRow(4);
    h.grid().setCurrentColumn(2);
    h.settle();
    const QStringList before = allRows(h);

    // Declined: nothing changes, in the grid or the database.
    modal.expectMessage(question(QStringLiteral("现金存入银行")), QMessageBox::Question,
                        QMessageBox::No);
    deleteBy(h, shortcut);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(allRows(h), before);
    QCOMPARE(h.grid().currentRow(), 4L);
    QCOMPARE(h.grid().currentColumn(), 2L);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
    CHECK_CONSISTENT(h);

    // Accepted: the record goes, the rows below move up, the cursor stays on row 4.
    modal.expectMessage(question(QStringLiteral("现金存入银行")), QMessageBox::Question,
                        QMessageBox::Yes);
    deleteBy(h, shortcut);
    KV_VERIFY_MODALS(modal);
    QVERIFY(kvtest::storedSummary(h.db(), QStringLiteral("04")).isEmpty());
    QCOMPARE(kvtest::storedCount(h.db()), 31L);
    QCOMPARE(h.grid().rowCount(), 33L);
    QCOMPARE(h.grid().currentRow(), 4L);
    QCOMPARE(h.grid().currentColumn(), 0L);
    QCOMPARE(h.row(3), QStringList({"03", "提取现金", "TQXJ", "库存现金"}));
    QCOMPARE(h.row(4), QStringList({"05", "报销差旅费", "BXCLF", "管理费用"}));
    QCOMPARE(h.row(31), QStringList({"32", "摘要备注", "ZYBZ", ""}));
    QCOMPARE(h.codes(), kvtest::storedCodes(h.db()));
    CHECK_CONSISTENT(h);

    // The next one right after, and then the user browses on without a question.
    h.goToRow(10);
    modal.expectMessage(question(QStringLiteral("缴纳增值税")), QMessageBox::Question,
                        QMessageBox::Yes);
    deleteBy(h, !shortcut);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(10).at(0), QStringLiteral("12"));
    QCOMPARE(h.codes(), kvtest::storedCodes(h.db()));
    CHECK_CONSISTENT(h);
    h.press(Qt::Key_Down);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(h.db()), 30L);
}

void tst_Delete::deletesARowBeingEdited_data()
{
    QTest::addColumn<bool>("group");
    QTest::newRow("one") << false;
    QTest::newRow("group") << true;
}

void tst_Delete::deletesARowBeingEdited()
{
    QFETCH(bool, group);
    const auto db = eightSummaries();
    kvtest::OpenBrowser h(db);
    kvtest::ModalDriver modal;
    // A new code and text typed over row 3: the summary deleted is the stored one, found by the
    // code the row had when the cursor entered it, and the question shows its stored text.
    h.goToRow(3);
    kvtest::typeInto(h.grid(), QStringLiteral("99"));
    h.press(Qt::Key_Tab);
    kvtest::typeInto(h.grid(), QStringLiteral("改了一半"));
    h.press(Qt::Key_Return);
    QVERIFY(h.window().editing());
    QVERIFY(h.enabled(QStringLiteral("TlbCancel")));
    if (group) {
        h.press(Qt::Key_Down, Qt::ShiftModifier);
        modal.expectMessage(kGroupQuestion, QMessageBox::Question, QMessageBox::Yes);
    } else {
        modal.expectMessage(question(QStringLiteral("三号")), QMessageBox::Question,
                            QMessageBox::Yes);
    }
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QVERIFY(kvtest::storedSummary(*db, QStringLiteral("03")).isEmpty());
    QVERIFY(kvtest::storedSummary(*db, QStringLiteral("99")).isEmpty());
    QCOMPARE(h.grid().text(3, 0), group ? QStringLiteral("05") : QStringLiteral("04"));
    // The pending change went with its row: nothing is left to cancel or to write.
    CHECK_CONSISTENT(h);
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    kvtest::OtherUser()->Execute(
        QStringLiteral("UPDATE GL_bDigest SET cText = '别人改的' WHERE cId IN ('04', '05')"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedSummary(*db, h.grid().text(3, 0)).value(1), QStringLiteral("别人改的"));
}

void tst_Delete::deletesTheLastSummary()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    h.goToRow(32);
    modal.expectMessage(question(QStringLiteral("摘要备注")), QMessageBox::Question,
                        QMessageBox::Yes);
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QVERIFY(kvtest::storedSummary(h.db(), QStringLiteral("32")).isEmpty());
    QCOMPARE(h.grid().rowCount(), 33L);
    QCOMPARE(h.grid().currentRow(), 32L);
    QVERIFY(h.window().mblnAddMark);
    QCOMPARE(h.buttons(), QStringLiteral("---++"));
    QCOMPARE(h.codes(), kvtest::storedCodes(h.db()));
    CHECK_CONSISTENT(h);

    // The only summary of a listing: the blank entry row is all that is left.
    const auto single = kvtest::hostDatabase(false);
    kvtest::insertSummaries(*single, {{"A", "唯一", "WY", ""}});
    kvtest::OpenBrowser one(single);
    one.goToRow(1);
    modal.expectMessage(question(QStringLiteral("唯一")), QMessageBox::Question, QMessageBox::Yes);
    one.click(QStringLiteral("TlbDel"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(*single), 0L);
    QCOMPARE(one.grid().rowCount(), 2L);
    QCOMPARE(one.grid().currentRow(), 1L);
    QVERIFY(one.window().mblnAddMark);
    CHECK_CONSISTENT(one);
}

void tst_Delete::deleteOnTheBlankRowUndoesTheTyping()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    kvtest::typeInto(h.grid(), QStringLiteral("77"));
    h.press(Qt::Key_Tab);
    kvtest::typeInto(h.grid(), QStringLiteral("打了一半"));
    h.press(Qt::Key_Tab);
    QCOMPARE(h.row(33), QStringList({"77", "打了一半", "DLYB", ""}));
    QVERIFY(h.window().editing());
    // Delete is off on the blank entry row: neither the button nor the shortcut reach it.
    QVERIFY(!h.enabled(QStringLiteral("TlbDel")));
    h.click(QStringLiteral("TlbDel"));
    h.press(Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(h.row(33).at(0), QStringLiteral("77"));

    // Run as a command it only takes the typing back, without a question.
    h.window().RunCommand(QStringLiteral("TlbDel"));
    h.settle();
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(33), QStringList({"", "", "", ""}));
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
    QVERIFY(kvtest::storedSummary(h.db(), QStringLiteral("77")).isEmpty());
    CHECK_CONSISTENT(h);
    // Nothing is pending any more: leaving the row neither saves nor complains.
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 32L);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
}

void tst_Delete::deletesAGroup_data()
{
    QTest::addColumn<long>("from");
    QTest::addColumn<long>("to");
    QTest::addColumn<bool>("shortcut");
    QTest::newRow("3 to 5, button") << 3L << 5L << false;
    QTest::newRow("3 to 5, Ctrl+D") << 3L << 5L << true;
    QTest::newRow("5 up to 3, button") << 5L << 3L << false;
    QTest::newRow("5 up to 3, Ctrl+D") << 5L << 3L << true;
    QTest::newRow("6 to 8, the last ones") << 6L << 8L << false;
    QTest::newRow("3 up to 1, the first ones") << 3L << 1L << true;
}

void tst_Delete::deletesAGroup()
{
    QFETCH(long, from);
    QFETCH(long, to);
    QFETCH(bool, shortcut);
    const auto db = eightSummaries();
    kvtest::OpenBrowser h(db);
    kvtest::ModalDriver modal;
    selectRows(h, from, to);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(h.enabled(QStringLiteral("TlbDel")));
    const QStringList before = allRows(h);

    modal.expectMessage(kGroupQuestion, QMessageBox::Question, QMessageBox::No);
    deleteBy(h, shortcut);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(allRows(h), before);
    QCOMPARE(kvtest::storedCount(*db), 8L);
    QCOMPARE(h.grid().currentRow(), from);

    if (h.grid().selectionEndRow() != to)
        selectRows(h, from, to);
    modal.expectMessage(kGroupQuestion, QMessageBox::Question, QMessageBox::Yes);
    deleteBy(h, shortcut);
    KV_VERIFY_MODALS(modal);

    const long low = qMin(from, to);
    const long high = qMax(from, to);
    QStringList expected;
    for (int i = 1; i <= 8; ++i) {
        if (i < low || i > high)
            expected << QStringLiteral("0%1").arg(i);
    }
    QCOMPARE(kvtest::storedCodes(*db), expected);
    QCOMPARE(h.codes(), expected);
    QCOMPARE(h.grid().rowCount(), long(expected.size()) + 2);
    // The cursor ends on the group's first row, showing the row that followed the group.
    QCOMPARE(h.grid().currentRow(), low);
    QCOMPARE(h.grid().text(low, 0), high < 8 ? QStringLiteral("0%1").arg(high + 1) : QString());
    CHECK_CONSISTENT(h);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
}

void tst_Delete::groupEndingOnTheBlankRowDoesNothing()
{
    const auto db = eightSummaries();
    kvtest::OpenBrowser h(db);
    kvtest::ModalDriver modal;
    for (long from : {8L, 7L, 1L}) {
        selectRows(h, from, 9);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(h.enabled(QStringLiteral("TlbDel")));
        h.click(QStringLiteral("TlbDel"));
        h.press(Qt::Key_D, Qt::ControlModifier);
        KV_VERIFY_MODALS(modal);
        QCOMPARE(kvtest::storedCount(*db), 8L);
        QCOMPARE(h.grid().rowCount(), 10L);
        QCOMPARE(h.grid().currentRow(), from);
    }
    // From the blank entry row upwards: Delete is off there; run as a command it does nothing.
    selectRows(h, 9, 7);
    QVERIFY(!h.enabled(QStringLiteral("TlbDel")));
    h.press(Qt::Key_D, Qt::ControlModifier);
    h.window().RunCommand(QStringLiteral("TlbDel"));
    h.settle();
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(*db), 8L);
    QCOMPARE(h.grid().rowCount(), 10L);
}

void tst_Delete::usedSummariesAreRefused()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    for (long row : {1L, 2L, 3L, 5L}) {
        h.goToRow(row);
        const QStringList cells = h.row(row);
        modal.expectMessage(question(cells.at(1)), QMessageBox::Question, QMessageBox::Yes);
        modal.expectMessage(kInUse, QMessageBox::Critical);
        h.press(Qt::Key_D, Qt::ControlModifier);
        KV_VERIFY_MODALS(modal);
        QCOMPARE(kvtest::storedSummary(h.db(), cells.at(0)).value(0), cells.at(0));
        QCOMPARE(h.row(row), cells);
        QCOMPARE(h.grid().currentRow(), row);
        QCOMPARE(h.grid().rowCount(), 34L);
        CHECK_CONSISTENT(h);
    }
    QCOMPARE(kvtest::storedCount(h.db()), 32L);

    // A group over a used summary: the ones before it go, then the listing is read again.
    selectRows(h, 4, 6);
    modal.expectMessage(kGroupQuestion, QMessageBox::Question, QMessageBox::Yes);
    modal.expectMessage(kInUse, QMessageBox::Critical);
    h.click(QStringLiteral("TlbDel"));
    KV_VERIFY_MODALS(modal);
    QVERIFY(kvtest::storedSummary(h.db(), QStringLiteral("04")).isEmpty());
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("05")).value(0), QStringLiteral("05"));
    QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("06")).value(0), QStringLiteral("06"));
    QCOMPARE(h.codes(), kvtest::storedCodes(h.db()));
    QVERIFY(!h.enabled(QStringLiteral("TlbAdd")));
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    CHECK_CONSISTENT(h);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
}

void tst_Delete::alreadyDeletedByAnother()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    kvtest::OtherUser other;
    other->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId IN ('07', '10')"));

    // One summary: told, nothing asked; the row is left as it was.
    h.goToRow(7);
    modal.expectMessage(kGone, QMessageBox::Critical);
    h.click(QStringLiteral("TlbDel"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 7L);
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(kvtest::storedCount(h.db()), 30L);
    CHECK_CONSISTENT(h);

    // A group whose first summary is gone: told, nothing asked, the listing read again.
    selectRows(h, 10, 12);
    modal.expectMessage(kGone, QMessageBox::Critical);
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(h.db()), 30L);
    QCOMPARE(h.codes(), kvtest::storedCodes(h.db()));
    CHECK_CONSISTENT(h);
}

void tst_Delete::groupMeetsASummaryDeletedByAnother_data()
{
    QTest::addColumn<long>("from");
    QTest::addColumn<long>("to");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("downwards") << 3L << 5L << QStringList({"01", "02", "05", "06", "07", "08"});
    QTest::newRow("upwards") << 5L << 3L << QStringList({"01", "02", "03", "06", "07", "08"});
}

void tst_Delete::groupMeetsASummaryDeletedByAnother()
{
    QFETCH(long, from);
    QFETCH(long, to);
    QFETCH(QStringList, left);
    const auto db = eightSummaries();
    kvtest::OpenBrowser h(db);
    kvtest::ModalDriver modal;
    selectRows(h, from, to);
    kvtest::OtherUser()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId='04'"));
    modal.expectMessage(kGroupQuestion, QMessageBox::Question, QMessageBox::Yes);
    modal.expectMessage(kGone, QMessageBox::Critical);
    h.click(QStringLiteral("TlbDel"));
    KV_VERIFY_MODALS(modal);
    // The first one went; the third was never reached.
    QCOMPARE(kvtest::storedCodes(*db), left);
    QCOMPARE(h.codes(), left);
    QVERIFY(!h.enabled(QStringLiteral("TlbAdd")));
    QVERIFY(!h.enabled(QStringLiteral("TlbCancel")));
    CHECK_CONSISTENT(h);
}

void tst_Delete::lockedByAnother()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    kvtest::OtherUser other;
    other.holdRow(QStringLiteral("04"));

    h.goToRow(4);
    modal.expectMessage(question(QStringLiteral("现金存入银行")), QMessageBox::Question,
                        QMessageBox::Yes);
    modal.expectMessage(kLocked, QMessageBox::Critical);
    h.click(QStringLiteral("TlbDel"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(4).at(0), QStringLiteral("04"));
    QCOMPARE(h.grid().rowCount(), 34L);
    CHECK_CONSISTENT(h);

    // A group that starts at the locked summary (03 and 05 are in use, so it goes downwards from
    // 04): refused the same way, the listing read again.
    selectRows(h, 4, 6);
    modal.expectMessage(kGroupQuestion, QMessageBox::Question, QMessageBox::Yes);
    modal.expectMessage(kLocked, QMessageBox::Critical);
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    other.release();
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
    QCOMPARE(h.codes(), kvtest::storedCodes(h.db()));
    CHECK_CONSISTENT(h);

    // Once the other user lets go, the same deletion goes through.
    h.goToRow(4);
    modal.expectMessage(question(QStringLiteral("现金存入银行")), QMessageBox::Question,
                        QMessageBox::Yes);
    h.click(QStringLiteral("TlbDel"));
    KV_VERIFY_MODALS(modal);
    QVERIFY(kvtest::storedSummary(h.db(), QStringLiteral("04")).isEmpty());
    QCOMPARE(h.row(4).at(0), QStringLiteral("05"));
    CHECK_CONSISTENT(h);
}

void tst_Delete::heldExclusivelyByAnother()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    h.goToRow(4);
    kvtest::OtherUser other;
    other.holdTable();
    // Not even the summary can be read again: the user is told so, and nothing is asked.
    QString shown;
    modal.expectDialog([&shown](QWidget *window) {
        auto *box = qobject_cast<QMessageBox *>(window);
        QVERIFY(box);
        shown = box->text();
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->windowTitle(), QStringLiteral("提示信息"));
        box->button(QMessageBox::Ok)->click();
    });
    h.click(QStringLiteral("TlbDel"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(shown, QStringLiteral("别的用户以独占方式打开数据库，不能打开表！"));
    other.release();
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
    QCOMPARE(h.row(4).at(0), QStringLiteral("04"));
    CHECK_CONSISTENT(h);
}

void tst_Delete::readOnlyRefuses()
{
    const auto db = eightSummaries();
    kvtest::OpenBrowser h(db, true);
    kvtest::ModalDriver modal;
    QCOMPARE(h.buttons(), QStringLiteral("---++"));
    h.goToRow(4);
    QCOMPARE(h.buttons(), QStringLiteral("-+-++"));
    modal.expectMessage(kReadOnly, QMessageBox::Critical);
    h.click(QStringLiteral("TlbDel"));
    modal.expectMessage(kReadOnly, QMessageBox::Critical);
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(4).at(0), QStringLiteral("04"));
    CHECK_CONSISTENT(h);

    selectRows(h, 3, 5);
    modal.expectMessage(kReadOnly, QMessageBox::Critical);
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(*db), 8L);
    QCOMPARE(h.grid().rowCount(), 10L);

    // Taking back what was typed into the blank entry row deletes nothing and stays possible.
    h.goToRow(9);
    kvtest::typeInto(h.grid(), QStringLiteral("99"));
    h.press(Qt::Key_Tab);
    h.window().RunCommand(QStringLiteral("TlbDel"));
    h.settle();
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.row(9), QStringList({"", "", "", ""}));
    QCOMPARE(kvtest::storedCount(*db), 8L);
    CHECK_CONSISTENT(h);
}

KV_TEST_MAIN(tst_Delete)
#include "tst_delete.moc"
