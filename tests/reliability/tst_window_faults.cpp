// The summary window when the database or another user gets in the way: what the user typed is
// never lost or written over another user's change without a word, and every refusal says why.
#include "EditingSteps.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>

using namespace editing;
using kvtest::storedSummary;

namespace {

const QString kLost = QStringLiteral("与数据库的连接已断开，下一次操作时将重新连接。");

// Expects an error box in the user's language, beginning with `start` and without an English word
// in it (names between “” aside), with the engine's words behind its details when `detail`;
// answers it.
void expectStop(kvtest::ModalDriver &modal, const QString &start, bool detail = false)
{
    modal.expectDialog([=](QWidget *window) {
        auto *box = qobject_cast<QMessageBox *>(window);
        QVERIFY(box);
        const QRegularExpression english(QStringLiteral("[a-z]{3}"));
        const QString words =
            QString(box->text()).remove(QRegularExpression(QStringLiteral("“[^”]*”")));
        QVERIFY2(box->text().startsWith(start) && !words.contains(english),
                 qPrintable(box->text()));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QVERIFY(!box->text().isEmpty());
        QVERIFY(!detail || box->detailedText().contains(english));
        box->button(QMessageBox::Ok)->click();
    });
}

} // namespace

class tst_WindowFaults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void aDroppedConnectionKeepsTheTypedRow();
    void anotherUsersChangesSurviveAnEdit();
    void deletingWhatAnotherUserRenamedMeanwhile();
    void aFailedAccountLookUpRefusesTheSave();
    void aReadOnlyDatabaseRefusesInTheUsersLanguage();
};

// A server restart (or the SQLite file restored under the window): the save that meets it is
// refused with its reason, and once the database is back the same row is saved.
void tst_WindowFaults::aDroppedConnectionKeepsTheTypedRow()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    typeCodeAndText(h, QStringLiteral("77"), QStringLiteral("断线重连"));
    kvtest::loseConnections();
    expectStop(modal, kLost);
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 33L);
    QCOMPARE(h.row(33), QStringList({"77", "断线重连", "DXZL", ""}));
    h.press(Qt::Key_Up);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("77")),
             QStringList({"77", "断线重连", "DXZL", "(null)"}));
    // A Refresh that meets it keeps the listing shown, rather than a part of it.
    kvtest::loseConnections();
    expectStop(modal, kLost);
    h.click(QStringLiteral("TlbRefresh"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().rowCount(), 35L);
    QCOMPARE(h.row(33).at(0), QStringLiteral("77"));
}

void tst_WindowFaults::anotherUsersChangesSurviveAnEdit()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    kvtest::OtherUser other;
    // Only the text is changed here; the other user's mnemonic and account stay.
    goTo(h, 4, 1);
    h.type(QStringLiteral("现金送存银行"));
    other->Execute(QStringLiteral("UPDATE GL_bDigest SET chelp = 'QT', cCode = '1001' "
                                  "WHERE cId = '04'"));
    h.press(Qt::Key_Down);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("04")),
             QStringList({"04", "现金送存银行", "QT", "1001"}));
    // An account typed and given up with Cancel is no change either.
    goTo(h, 6, 3);
    h.type(QStringLiteral("1001"));
    h.press(Qt::Key_Return);
    h.press(Qt::Key_Z, Qt::ControlModifier);
    other->Execute(QStringLiteral("UPDATE GL_bDigest SET cCode = '1002' WHERE cId = '06'"));
    goTo(h, 6, 1);
    h.type(QStringLiteral("报销办公用品"));
    h.press(Qt::Key_Up);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("06")),
             QStringList({"06", "报销办公用品", "BXBGF", "1002"}));
    // A cell opened and given up with Esc changes nothing, so nothing is written.
    h.press(Qt::Key_F2);
    h.press(Qt::Key_Escape);
    QVERIFY(h.window().editing());
    other->Execute(QStringLiteral("UPDATE GL_bDigest SET cText = '别人改的' WHERE cId = '05'"));
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(storedSummary(h.db(), QStringLiteral("05")).at(1), QStringLiteral("别人改的"));
}

// The summary was found and its question shown; meanwhile another user renamed it. The deletion
// deletes nothing, says so, and shows the listing as it now is.
void tst_WindowFaults::deletingWhatAnotherUserRenamedMeanwhile()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    goTo(h, 6, 0);
    modal.expectDialog([](QWidget *question) {
        kvtest::OtherUser()->Execute(
            QStringLiteral("UPDATE GL_bDigest SET cId = '66' WHERE cId = '06'"));
        qobject_cast<QMessageBox *>(question)->button(QMessageBox::Yes)->click();
    });
    modal.expectMessage(QStringLiteral("该摘要已经被他人删除，不能保存！"), QMessageBox::Critical);
    h.press(Qt::Key_D, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(kvtest::storedCount(h.db()), 32L);
    QCOMPARE(h.grid().rowCount(), 34L);
    QCOMPARE(h.row(32).at(0), QStringLiteral("66"));
}

// Add on a summary another user deleted stores it again; when the account cannot be looked up,
// the row is refused, not stored without its account.
void tst_WindowFaults::aFailedAccountLookUpRefusesTheSave()
{
    BrowserHarness h;
    kvtest::chartAsView(h.db());
    h.open();
    kvtest::ModalDriver modal;
    typeCodeAndText(h, QStringLiteral("80"), QStringLiteral("新增"));
    h.press(Qt::Key_Up);
    QVERIFY(h.enabled(QStringLiteral("TlbAdd")));
    goTo(h, 8, 0);
    kvtest::OtherUser()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId='08'"));
    kvtest::addUnreadableAccount(h.db());
    // The engine's own refusal of the look-up, not "the summary exists".
    expectStop(modal, QString(), true);
    h.click(QStringLiteral("TlbAdd"));
    KV_VERIFY_MODALS(modal);
    QVERIFY(storedSummary(h.db(), QStringLiteral("08")).isEmpty());
}

void tst_WindowFaults::aReadOnlyDatabaseRefusesInTheUsersLanguage()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    h.db().Execute(kvtest::usingPostgres()
                       ? QStringLiteral("SET default_transaction_read_only = on")
                       : QStringLiteral("PRAGMA query_only = ON"));
    goTo(h, 3, 1);
    h.type(QStringLiteral("提取备用金"));
    expectStop(modal, QStringLiteral("不能更新。数据库或对象为只读。"), true);
    h.press(Qt::Key_Down);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 3L);
}

KV_TEST_MAIN(tst_WindowFaults)
#include "tst_window_faults.moc"
