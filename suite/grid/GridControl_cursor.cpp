// The cursor: user moves (with their row-leave question), programmatic moves, the selected block
// of rows, and the row-enter notification that follows every change of the current cell.
#include "GridControl.h"

#include "GridModel.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>

void GridControl::leaveBusy()
{
    if (m_busy > 1) {
        --m_busy;
        return;
    }
    raisePendingEnter();
    --m_busy;
    std::vector<DeferredKey> keys;
    keys.swap(m_deferredKeys);
    for (DeferredKey &key : keys) {
        if (key.target)
            QCoreApplication::postEvent(key.target, key.event.release());
    }
}

// Only the outermost operation raises it, and stays busy while the handlers run: a handler that
// moves the cursor only queues one more notification for this loop instead of nesting another.
void GridControl::raisePendingEnter()
{
    if (m_busy > 1)
        return;
    while (m_enterPending) {
        m_enterPending = false;
        if (m_events)
            m_events->gridRowEnter();
    }
}

void GridControl::setCurrentRow(long row)
{
    Busy busy(*this);
    row = clampRow(row);
    m_selectionEnd = row;
    m_view->viewport()->update();
    placeCursor(row, m_col);
}

void GridControl::setCurrentColumn(long col)
{
    Busy busy(*this);
    placeCursor(m_row, clampColumn(col));
}

void GridControl::setSelectionEndRow(long row)
{
    m_selectionEnd = clampRow(row);
    m_view->viewport()->update();
}

// Every path that changes the current cell ends here. An open editor belongs to its cell, so it is
// abandoned; the user's paths have committed it before.
void GridControl::placeCursor(long row, long col)
{
    if (row == m_row && col == m_col)
        return;
    abandonEditor();
    m_row = row;
    m_col = col;
    m_enterPending = true;
    syncView();
}

void GridControl::clampCursor()
{
    const long row = clampRow(qMax(1L, m_row));
    m_selectionEnd = m_selectionEnd == 0 ? row : clampRow(m_selectionEnd);
    placeCursor(row, clampColumn(m_col));
}

void GridControl::syncView()
{
    if (m_model->frozen())
        return;
    const QModelIndex current = m_model->index(int(m_row) - 1, int(m_col));
    m_view->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    if (current.isValid())
        m_view->scrollTo(current);
    m_view->viewport()->update();
}

// The untouched blank entry row at the bottom may be left without asking.
bool GridControl::leavesSilently() const
{
    if (m_row != dataRows())
        return false;
    for (long col = 0; col < columnCount(); ++col) {
        if (!text(m_row, col).isEmpty())
            return false;
    }
    return true;
}

// A move the user asked for. Answers false when it did not happen: the row-leave handler refused
// it, or moved the cursor somewhere else itself.
bool GridControl::userMove(long row, long col)
{
    if (dataRows() == 0)
        return true;
    row = clampRow(row);
    if (row != m_row && !leavesSilently()) {
        const long fromRow = m_row;
        const long fromCol = m_col;
        long cancel = 0;
        if (m_events)
            m_events->gridRowLeave(cancel, fromRow, fromCol);
        if (cancel != 0 || m_row != fromRow || m_col != fromCol)
            return false;
        row = clampRow(row); // the handler may have changed the row count
    }
    placeCursor(row, clampColumn(col));
    collapseSelection();
    return true;
}

void GridControl::collapseSelection()
{
    if (m_selectionEnd == m_row)
        return;
    m_selectionEnd = m_row;
    m_view->viewport()->update();
}

void GridControl::extendSelection(long row)
{
    row = clampRow(row);
    if (row == m_selectionEnd)
        return;
    m_selectionEnd = row;
    if (!m_model->frozen())
        m_view->scrollTo(m_model->index(int(row) - 1, int(m_col)));
    m_view->viewport()->update();
}

long GridControl::pageRows() const
{
    const int rowHeight = qMax(1, m_view->verticalHeader()->defaultSectionSize());
    return qMax(1L, long(m_view->viewport()->height() / rowHeight));
}
