// The status line under the grid: how many summaries the grid shows and how many are stored, a
// filter and a quick search in force, the database, and the read-only mode. The stored count comes
// with each refill (the rows of the whole listing, or one count under a filter) and is then kept by
// the window's own saves and deletions, so the line costs the same at any size of the table.
#include "frmDigBrowse.h"

#include "Database.h"
#include "DatabaseLabel.h"
#include "Recordset.h"
#include "SqlTexts.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

constexpr int kShownForAWhileMs = 5000;

} // namespace

void frmDigBrowse::StatusAfterRefill(bool filtered)
{
    mblnFiltered = filtered;
    if (!filtered) {
        // The whole listing was just read: its rows are the stored summaries.
        mlngStoredCount = qMax(0L, SpGrdDig->rowCount() - 2);
        UpdateStatusLine();
        return;
    }
    try {
        auto count = dbs->OpenRecordset(SqlText::SummaryCountQuery(), DataKit::dbOpenSnapshot);
        mlngStoredCount = count->Fields(0).toLongLong();
    } catch (const std::exception &) {
        // The line leaves out what it cannot know; the refill itself has reported any trouble.
        mlngStoredCount = -1;
    }
    UpdateStatusLine();
}

void frmDigBrowse::StoredCountChanged(long delta)
{
    if (mlngStoredCount >= 0)
        mlngStoredCount += delta;
    UpdateStatusLine();
}

void frmDigBrowse::UpdateStatusLine()
{
    // Every row but the header and the blank entry row is a summary.
    QString line = QStringLiteral("%1 条").arg(qMax(0L, SpGrdDig->rowCount() - 2));
    if (mlngStoredCount >= 0)
        line += QStringLiteral(" / 共 %1 条").arg(mlngStoredCount);
    const QString gap = QStringLiteral("    ");
    if (mblnFiltered)
        line += gap + QStringLiteral("过滤中");
    if (mblnSearching)
        line += gap + QStringLiteral("查找：") + txtSearch->text();
    if (dbs)
        line += gap + QStringLiteral("数据库：") + DatabaseLabel(dbs->target());
    if (blnReadOnly)
        line += gap + QStringLiteral("只读");
    lblStatus->setText(line);
}

// For a few seconds the status line says what was just done, then it is the status line again.
void frmDigBrowse::ShowForAWhile(const QString &text)
{
    lblStatus->setText(text);
    QTimer::singleShot(kShownForAWhileMs, this, [this] { UpdateStatusLine(); });
}

// "已输出 31 条到 …/常用摘要.xlsx": a long folder cut in its middle.
void frmDigBrowse::ShowWritten(const QString &verb, long count, const QString &path)
{
    const QString done = QStringLiteral("%1 %2 条到 ").arg(verb).arg(count);
    const QFontMetrics metrics = lblStatus->fontMetrics();
    const int room = qMax(lblStatus->width() - metrics.horizontalAdvance(done), 200);
    ShowForAWhile(done + metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, room));
}
