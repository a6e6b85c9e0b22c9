// The random run's actions: the user's through the real window's keys, mouse and toolbar, the
// other user's through a second connection, and connections that drop.
#include "RandomRun.h"

#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "PinyinInitial.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>

#include <optional>

namespace kvtest {

namespace {

const QStringList kTexts = {"收到货款", "支付货款",   "提取现金",   "零星支出",
                            "预收款项", "报销差旅费", "银行手续费", "其他收入"};
const QStringList kUsed = {"01", "02", "03", "05"}; // the voucher lines refer to them

} // namespace

Answerer::Answerer()
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        QWidget *window = QApplication::activeModalWidget();
        if (!window || !window->isVisible())
            return;
        auto *box = qobject_cast<QMessageBox *>(window);
        messages << (box ? box->text() : QStringLiteral("dialog"));
        if (!box)
            qobject_cast<QDialog *>(window)->reject();
        else if (box->icon() == QMessageBox::Question)
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        else
            box->button(QMessageBox::Ok)->click();
    });
    m_timer.start(2);
}

RandomRun::RandomRun(quint32 seed)
    : m_random(seed)
{
}

RandomRun::~RandomRun() = default;

frmDigBrowse &RandomRun::w()
{
    return m_harness->window();
}

void RandomRun::press(Qt::Key key, Qt::KeyboardModifiers mods)
{
    pressKey(h().grid(), key, mods);
    h().settle();
}

void RandomRun::trace(const QString &what)
{
    m_trace << QStringLiteral("[row %1 col %2 %3%4 %5] %6")
                   .arg(h().grid().currentRow())
                   .arg(h().grid().currentColumn())
                   .arg(w().mblnAddMark ? "A" : "-", w().editing() ? "E" : "-", h().buttons(),
                        what);
}

void RandomRun::act()
{
    const int roll = pick(100);
    if (roll < 9)
        m_other->release();
    if (roll < 8) {
        otherUser();
    } else if (roll < 9) {
        trace(QStringLiteral("connections lost"));
        loseConnections();
        ++faults;
    } else if (roll < 45) {
        typeIntoCell();
    } else {
        leaveOrCommand();
    }
    if (roll >= 9) // a lock lasts for one action of the window's
        m_other->release();
    if (m_touchedFor != snapshot())
        m_touchedFor.clear();
}

void RandomRun::otherUser()
{
    // Half the time the summary of the row the user is on: that is where a write of cells the
    // user did not change would put another user's change back.
    const QString current = snapshot()[0];
    const QString id = m_model.count(current) && chance(50)
                           ? current
                           : std::next(m_model.begin(), pick(int(m_model.size())))->first;
    const QString fresh = QString::number(40 + pick(60));
    const auto account = std::next(m_accounts.begin(), pick(int(m_accounts.size())))->first;
    const int kind = pick(5);
    const QStringList statements = {
        QStringLiteral("INSERT INTO GL_bDigest (cId, cText) VALUES ('%1', '别人加的')").arg(fresh),
        QStringLiteral("UPDATE GL_bDigest SET chelp = 'QT', cCode = '%1' WHERE cId = '%2'")
            .arg(account, id),
        QStringLiteral("UPDATE GL_bDigest SET cId = '%1' WHERE cId = '%2'").arg(fresh, id),
        QStringLiteral("DELETE FROM GL_bDigest WHERE cId = '%1'").arg(id),
        QStringLiteral("holds %1").arg(id)};
    const bool clash = (kind == 0 || kind == 2) && m_model.count(fresh);
    if (clash || ((kind == 2 || kind == 3) && kUsed.contains(id)))
        return;
    trace(QStringLiteral("other user: ") + statements.at(kind));
    for (int attempt = 0;; ++attempt) { // once more on a connection that dropped
        try {
            if (kind == 4)
                m_other->holdRow(id);
            else
                (*m_other)->Execute(statements.at(kind));
            break;
        } catch (const DataKit::Error &error) {
            if (attempt > 0 || error.number() != DataKit::errConnectionLost)
                throw;
        }
    }
    if (kind == 0)
        m_model[fresh] = {QStringLiteral("别人加的"), QStringLiteral("(null)"),
                          QStringLiteral("(null)")};
    else if (kind == 1)
        m_model[id] = {m_model[id][0], QStringLiteral("QT"), account};
    else if (kind == 2)
        m_model[fresh] = m_model[id];
    if (kind == 2 || kind == 3)
        m_model.erase(id);
}

void RandomRun::typeIntoCell()
{
    GridControl &grid = h().grid();
    const long row = grid.currentRow();
    long col = pick(4);
    // On the entry row mostly the code and the text first, so that whole new rows get saved.
    if (w().mblnAddMark && chance(70))
        col = grid.text(row, 0).isEmpty() ? 0 : grid.text(row, 1).isEmpty() ? 1 : col;
    clickCell(grid, row, col);
    h().settle();
    const auto account = std::next(m_accounts.begin(), pick(int(m_accounts.size())));
    const QString text = col == 0 ? QStringLiteral("%1").arg(1 + pick(60), 2, 10, QLatin1Char('0'))
                         : col == 1   ? kTexts.at(pick(kTexts.size()))
                         : col == 2   ? QStringList{"AB", "XYZ", "QT"}.at(pick(3))
                         : chance(10) ? QStringLiteral("无此科目")
                         : chance(50) ? account->first
                                      : account->second;
    const bool erase = chance(10);
    trace(erase ? QStringLiteral("empty column %1").arg(col)
                : QStringLiteral("type \"%1\" into column %2").arg(text).arg(col));
    if (erase) {
        press(Qt::Key_F2);
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_Backspace);
    } else {
        typeInto(grid, text);
        h().settle();
    }
    // Mostly committed at once, an account always; otherwise the next move commits it.
    const int before = m_answerer.messages.size();
    if (col == 3 || chance(80))
        press(Qt::Key_Return);
    if (col == 3 && !erase && m_answerer.messages.size() == before && !grid.isEditing())
        m_touchedFor = text != snapshot()[3] ? snapshot() : QStringList();
}

void RandomRun::leaveOrCommand()
{
    GridControl &grid = h().grid();
    const bool pending = w().editing();
    const QStringList before = snapshot();
    QStringList typed = rowOf(w().currentRowMark());
    // An account refused before (its check still held the row's last one) is checked anew when
    // the action commits the editor.
    std::optional<QStringList> accountInEditor;
    if (grid.isEditing()) {
        const QString text = grid.editor()->text();
        typed[grid.currentColumn()] = text;
        if (grid.currentColumn() == 1 && typed[2].isEmpty()) // committed, fills the mnemonic
            typed[2] = MnemonicOf(typed[1]);
        if (grid.currentColumn() == 3 && accountCode(text) != accountCode(QString()))
            accountInEditor = text != before[3] ? before : QStringList();
    }
    const long row = grid.currentRow();
    const qsizetype said = m_answerer.messages.size();
    // Leaving a row saves it; an entry row with nothing in it is never left through row-leave.
    bool leaves = pending && !(w().mblnAddMark && typed.join(QString()).isEmpty());
    bool adding = w().mblnAddMark;
    QStringList deleting;
    m_answerer.yes = chance(60);
    const int kind = pick(12);
    static const char *const names[] = {
        "key",    "click",   "Add",  "Enter in the account", "Cancel", "Delete",
        "Delete", "Refresh", "sort", "Find or Filter",       "close",  "F2 Esc"};
    trace(QString::fromLatin1(names[kind]) + (m_answerer.yes ? " (yes)" : " (no)"));
    if (accountInEditor && kind != 11) // F2 Esc gives the editor's text up
        m_touchedFor = *accountInEditor;
    switch (kind) {
    case 0:
        press(
            QList<Qt::Key>{Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Tab}
                .at(pick(5)));
        break;
    case 1:
        clickCell(grid, 1 + pick(int(grid.rowCount()) - 1), pick(4));
        h().settle();
        break;
    case 2: // Add, wherever it is offered, saves the row as a new summary; its key only while a
            // new row is being typed
        if (!h().enabled(QStringLiteral("TlbAdd")))
            return;
        if (chance(50)) {
            leaves = adding = true;
            h().click(QStringLiteral("TlbAdd"));
        } else {
            leaves = adding = w().mblnAddMark && w().editing();
            press(Qt::Key_I, Qt::ControlModifier);
        }
        break;
    case 3:
        clickCell(grid, row, 3);
        h().settle();
        press(Qt::Key_Return);
        break;
    case 4:
        leaves = false;
        chance(50) ? h().click(QStringLiteral("TlbCancel")) : press(Qt::Key_Z, Qt::ControlModifier);
        break;
    case 5:
    case 6: { // Delete the current summary, or a block from it
        leaves = false;
        for (int i = chance(50) ? 0 : 1 + pick(3); i > 0; --i)
            press(chance(50) ? Qt::Key_Up : Qt::Key_Down, Qt::ShiftModifier);
        const long end = grid.selectionEndRow();
        for (long r = std::min(row, end); r <= std::max(row, end); ++r)
            deleting << (r == row ? before[0] : grid.text(r, 0));
        chance(50) ? press(Qt::Key_D, Qt::ControlModifier) : h().click(QStringLiteral("TlbDel"));
        break;
    }
    case 7:
        leaves = false;
        h().click(QStringLiteral("TlbRefresh"));
        if (m_answerer.messages.size() == said)
            compareRefreshed();
        break;
    case 8: // the header click puts the cursor on the first row
        clickHeader(grid, pick(4));
        h().settle();
        break;
    case 9:
        leaves = false;
        h().click(chance(50) ? QStringLiteral("TlbFind") : QStringLiteral("TlbFilter"));
        break;
    case 10: // closing, three ways
        chance(33)   ? press(Qt::Key_F4, Qt::AltModifier)
        : chance(50) ? h().click(QStringLiteral("TlbExit"))
                     : void(w().close());
        break;
    default:
        leaves = false;
        press(Qt::Key_F2);
        press(Qt::Key_Escape);
    }
    const bool refused = !m_answerer.messages.mid(said)
                              .filter(QRegularExpression(QStringLiteral("不能|非法|断开")))
                              .isEmpty();
    const bool left = !w().editing() || grid.currentRow() != row || !w().isVisible();
    if (leaves && !refused && left)
        saved(before, typed, adding, !m_touchedFor.isEmpty() && m_touchedFor == before);
    // These put the row back as it was entered, or enter it anew (an account typed into it
    // before is no change then), unless they were refused; a refused deletion that refreshed the
    // listing has entered the row anew all the same.
    if ((kind == 2 || kind == 4 || kind == 7 || kind == 8 || kind == 10 || deleting.size()) &&
        (!refused || (deleting.size() && !w().editing())))
        m_touchedFor.clear();
    // Whatever a deletion reported, the summaries it meant to delete and did are gone.
    if (!deleting.isEmpty()) {
        const Table now = stored();
        for (const QString &id : deleting) {
            if (!now.count(id))
                m_model.erase(id);
        }
    }
    reopenIfClosed();
}

void RandomRun::reopenIfClosed()
{
    if (w().isVisible())
        return;
    m_harness.reset();
    // The host's own first statement meets a connection that dropped meanwhile.
    try {
        m_db->Execute(QStringLiteral("select cCode from Code where 1=0"));
    } catch (const DataKit::Error &) {
    }
    m_harness = std::make_unique<BrowserHarness>(m_db);
    m_harness->open();
}

} // namespace kvtest
