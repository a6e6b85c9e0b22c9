// The random run's model of GL_bDigest and the invariants checked after every action.
#include "RandomRun.h"

#include "Database.h"
#include "GridControl.h"
#include "Recordset.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QTest>

namespace kvtest {

namespace {

const QString kNull = QStringLiteral("(null)");
// The component's words for the refusals this test provokes; any other message is a fault.
const QStringList kRefusals = {"该摘要已经存在，不能增加或修改！",
                               "该摘要已经被他人删除，不能保存！",
                               "该记录已被他人锁定使用，不能修改！",
                               "该摘要已经在其它数据表中使用，不能修改或删除！",
                               "常用摘要编码不能为空，请输入！",
                               "常用摘要正文不能为空，请输入！",
                               "非法科目！",
                               "该常用摘要已被他人删除，不能删除！",
                               "dialog"};
const QStringList kPrefixes = {"与数据库的连接已断开", "确实要删除"};

QString value(const QString &cell)
{
    return cell.isEmpty() ? kNull : cell;
}

} // namespace

QStringList RandomRun::rowOf(long row)
{
    QStringList cells;
    for (long col = 0; col < 4; ++col)
        cells << h().grid().text(row, col);
    return cells;
}

QStringList RandomRun::snapshot()
{
    return QStringList(w().rowSnapshot().begin(), w().rowSnapshot().end());
}

// The account a cell's text names, by its code (a cell committed by the move that leaves it still
// holds what was typed) or by its name.
QString RandomRun::accountCode(const QString &text) const
{
    if (m_accounts.count(text))
        return text;
    for (const auto &[code, name] : m_accounts) {
        if (name == text)
            return code;
    }
    return kNull;
}

Table RandomRun::stored()
{
    for (int attempt = 0;; ++attempt) { // once more on a connection that dropped
        try {
            Table table;
            auto rs = m_checker->OpenRecordset(
                QStringLiteral("Select cId, cText, chelp, cCode From GL_bDigest"),
                DataKit::dbOpenSnapshot);
            for (; !rs->isEOF(); rs->MoveNext()) {
                QStringList &row = table[rs->Fields(0).toString()];
                for (int i = 1; i < 4; ++i)
                    row << (rs->Fields(i).isNull() ? kNull : rs->Fields(i).toString());
            }
            return table;
        } catch (const DataKit::Error &error) {
            if (attempt > 0 || error.number() != DataKit::errConnectionLost)
                throw;
        }
    }
}

// What leaving a row without a refusal stored: a new summary as typed, or the cells of an existing
// one that were changed since the row was entered (with an account typed into it, that account).
void RandomRun::saved(const QStringList &snapshot, const QStringList &typed, bool adding,
                      bool account)
{
    if (adding) {
        if (typed[0].isEmpty() || typed[1].isEmpty())
            return; // refused, or an entry row never left
        m_model[typed[0]] = {value(typed[1]), value(typed[2]), accountCode(typed[3])};
        ++saves;
        return;
    }
    // A row left as it was is not written; one whose summary is gone cannot be (the comparison
    // with the table catches any write that happened all the same).
    if ((typed == snapshot && !account) || !m_model.count(snapshot[0]))
        return;
    QStringList row = m_model[snapshot[0]];
    for (int c = 1; c < 3; ++c) {
        if (typed[c] != snapshot[c])
            row[c - 1] = value(typed[c]);
    }
    if (typed[3] != snapshot[3] || account)
        row[2] = accountCode(typed[3]);
    m_model.erase(snapshot[0]);
    m_model[typed[0]] = row;
    ++saves;
}

// After a Refresh the grid shows the table as it is, in code order, and the entry row.
void RandomRun::compareRefreshed()
{
    const Table table = stored();
    long r = 1;
    for (const auto &[id, row] : table) {
        const QString name = m_accounts.count(row[2]) ? m_accounts.at(row[2]) : QString();
        QStringList shown{id, row[0], row[1], name};
        if (rowOf(r) != shown.replaceInStrings(kNull, QString()))
            m_mismatch = QStringLiteral("refreshed, row %1 shows %2, stored %3")
                             .arg(r)
                             .arg(rowOf(r).join('|'), shown.join('|'));
        ++r;
    }
    if (h().grid().rowCount() != long(table.size()) + 2)
        m_mismatch = QStringLiteral("refreshed, %1 rows for %2 summaries")
                         .arg(h().grid().rowCount())
                         .arg(table.size());
}

bool RandomRun::check()
{
    const auto broken = [this](const QString &why) {
        failure = why;
        return false;
    };
    if (!m_mismatch.isEmpty())
        return broken(m_mismatch);
    GridControl &grid = h().grid();
    const long last = grid.rowCount() - 1;
    // Exactly one entry row, the last; the flag says whether the cursor is on it.
    if (w().mblnAddMark != (grid.currentRow() == last))
        return broken(QStringLiteral("mblnAddMark %1 on row %2 of %3")
                          .arg(w().mblnAddMark)
                          .arg(grid.currentRow())
                          .arg(last));
    if (!(w().mblnAddMark && w().editing()) && !rowOf(last).join(QString()).isEmpty())
        return broken(QStringLiteral("the entry row holds ") + rowOf(last).join('|'));
    for (long r = 1; r < last; ++r) {
        if (grid.text(r, 0).isEmpty() && !(r == grid.currentRow() && w().editing()))
            return broken(QStringLiteral("row %1 has no code").arg(r));
    }
    // An open cell editor turns Add, Delete, Find and Filter off and Cancel on; closed, Find and
    // Filter are on, and Delete is on except on the entry row.
    const bool editor = grid.isEditing();
    const auto on = [this](const char *key) { return h().enabled(QString::fromLatin1(key)); };
    if (on("TlbFind") == editor || on("TlbFilter") == editor ||
        (editor && (on("TlbAdd") || on("TlbDel") || !on("TlbCancel"))) ||
        (!editor && on("TlbDel") == w().mblnAddMark))
        return broken(
            QStringLiteral("buttons %1 with%2 an editor").arg(h().buttons(), editor ? "" : "out"));
    // Only the component's own refusals and questions were shown.
    if (!m_answerer.messages.isEmpty())
        m_trace << QStringLiteral("    said: ") + m_answerer.messages.join(QStringLiteral(" / "));
    for (const QString &message : std::as_const(m_answerer.messages)) {
        ++said[message.left(12)];
        if (!kRefusals.contains(message) && !message.startsWith(kPrefixes[0]) &&
            !message.startsWith(kPrefixes[1]))
            return broken(QStringLiteral("unexpected message \"%1\"").arg(message));
    }
    m_answerer.messages.clear();
    // Nothing lost, nothing written that was not typed.
    const Table now = stored();
    if (now != m_model) {
        QStringList diff;
        for (const auto &[id, row] : now) {
            if (!m_model.count(id) || m_model.at(id) != row)
                diff << QStringLiteral("stored %1 %2").arg(id, row.join('|'));
        }
        for (const auto &[id, row] : m_model) {
            if (!now.count(id) || now.at(id) != row)
                diff << QStringLiteral("expected %1 %2").arg(id, row.join('|'));
        }
        return broken(diff.join(QStringLiteral("; ")));
    }
    ++checks;
    return true;
}

bool RandomRun::go(int actions)
{
    m_db = hostDatabase();
    m_other = std::make_unique<OtherUser>();
    m_checker = anotherConnection();
    auto accounts = m_checker->OpenRecordset(QStringLiteral("Select cCode, cCode_Name From Code"),
                                             DataKit::dbOpenSnapshot);
    for (; !accounts->isEOF(); accounts->MoveNext())
        m_accounts[accounts->Fields(0).toString()] = accounts->Fields(1).toString();
    m_model = stored();
    m_harness = std::make_unique<BrowserHarness>(m_db);
    m_harness->open();
    for (int i = 1; i <= actions; ++i) {
        bool kept = false;
        try {
            act();
            kept = QTest::qWaitFor([] { return !QApplication::activeModalWidget(); });
            h().settle();
            if (!kept)
                failure = QStringLiteral("a modal window stays open");
            kept = kept && check();
        } catch (const std::exception &error) {
            failure = QStringLiteral("threw ") + QString::fromLocal8Bit(error.what());
        }
        if (!kept) {
            failure = QStringLiteral("action %1: %2\nlast actions: %3")
                          .arg(i)
                          .arg(failure, m_trace.mid(m_trace.size() - 12).join("\n  "));
            return false;
        }
    }
    return true;
}

} // namespace kvtest
