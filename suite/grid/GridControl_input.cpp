// Keyboard and mouse: which keys and clicks belong to the grid, and what they do. Keys queued with
// postEvent arrive here exactly like typed ones.
#include "GridControl.h"

#include "GridDelegate.h"
#include "GridEditor.h"
#include "GridModel.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QTableView>

namespace {

int shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

bool hasCommandModifier(Qt::KeyboardModifiers modifiers)
{
    return modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

} // namespace

bool GridControl::keyPressed(QObject *target, QKeyEvent *event)
{
    if (m_busy > 0) {
        m_deferredKeys.push_back({target, std::unique_ptr<QKeyEvent>(event->clone())});
        return true;
    }
    bool handled = false;
    {
        Busy busy(*this);
        handled = gridKey(*event);
    }
    if (handled) {
        event->accept();
        return true;
    }
    if (target != m_view)
        return false; // the editor's own keys: caret moves, deleting, typing
    if (m_editing) {
        // Sent to the view while a cell is edited (or passed up by the editor, which then ignores
        // it again): the editor's key.
        m_editor->typeKey(event);
        if (event->isAccepted())
            return true;
    }
    event->ignore(); // not a grid key: the view's parents may want it
    return true;
}

bool GridControl::gridKey(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool plain = !hasCommandModifier(modifiers);
    switch (event.key()) {
    case Qt::Key_Escape:
        if (!m_editing)
            return false;
        abandonEditor();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter stays on its row: the next column, or the last one again.
        if (commitEditor())
            userMove(m_row, m_col + 1);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (!plain)
            return false;
        if (!commitEditor())
            return true;
        const bool forward = event.key() == Qt::Key_Tab && !modifiers.testFlag(Qt::ShiftModifier);
        long row = m_row;
        long col = m_col + (forward ? 1 : -1);
        if (col >= columnCount() && row < dataRows()) {
            ++row;
            col = 0;
        } else if (col < 0 && row > 1) {
            --row;
            col = columnCount() - 1;
        }
        userMove(row, col);
        return true;
    }
    case Qt::Key_F2:
        if (m_editing || !plain)
            return false;
        openEditor(text(m_row, m_col));
        return true;
    case Qt::Key_F3:
        if (!plain || m_row < 1 || !m_delegate->hasButton(int(m_col)))
            return false;
        if (commitEditor())
            pressCellButton();
        return true;
    default:
        break;
    }
    if (moveKey(event))
        return true;
    const QString typed = event.text();
    if (m_editing || !plain || typed.isEmpty() || !typed.at(0).isPrint())
        return false;
    openEditor(typed);
    return true;
}

// Arrows, Home/End, Ctrl+Home/Ctrl+End and the Page keys. Shift with a row key moves the selection
// end instead of the cursor.
bool GridControl::moveKey(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int key = event.key();
    const bool ends = key == Qt::Key_Home || key == Qt::Key_End;
    if (key == Qt::Key_Left || key == Qt::Key_Right || (ends && !ctrl)) {
        if (m_editing || ctrl)
            return false; // inside the editor these move the caret
        long col = m_col + (key == Qt::Key_Right ? 1 : -1);
        if (key == Qt::Key_Home)
            col = 0;
        else if (key == Qt::Key_End)
            col = columnCount() - 1;
        userMove(m_row, col);
        return true;
    }

    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const long from = shift ? m_selectionEnd : m_row;
    long row = 0;
    if (key == Qt::Key_Up && !ctrl)
        row = from - 1;
    else if (key == Qt::Key_Down && !ctrl)
        row = from + 1;
    else if (key == Qt::Key_PageUp)
        row = ctrl ? 1 : from - pageRows();
    else if (key == Qt::Key_PageDown)
        row = ctrl ? dataRows() : from + pageRows();
    else if (ends)
        row = key == Qt::Key_Home ? 1 : lastRecordRow();
    else
        return false;
    if (!commitEditor())
        return true;
    if (shift)
        extendSelection(row);
    else
        userMove(row, m_col);
    return true;
}

bool GridControl::inputMethod(QInputMethodEvent *event)
{
    if (m_busy > 0)
        return false;
    if (!m_editing) {
        if (event->commitString().isEmpty() && event->preeditString().isEmpty())
            return false;
        Busy busy(*this);
        openEditor(QString());
    }
    if (!m_editing)
        return false;
    QCoreApplication::sendEvent(m_editor, event);
    return true;
}

bool GridControl::viewportMouse(QMouseEvent *event)
{
    // The view's own press, drag and release handling would select cells and move its cursor.
    if (event->type() == QEvent::MouseMove)
        return event->buttons() != Qt::NoButton;
    if (event->type() == QEvent::MouseButtonRelease || m_busy > 0)
        return true;
    Busy busy(*this);
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = m_view->indexAt(pos);
    const long row = index.isValid() ? index.row() + 1 : -1;
    const long col = index.column();
    const bool onButton = index.isValid() && m_delegate->hasButton(int(col)) &&
                          GridDelegate::buttonRect(m_view->visualRect(index)).contains(pos);
    const bool left = event->button() == Qt::LeftButton;
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (left && !onButton && !m_editing && row == m_row && col == m_col)
            openEditor(text(m_row, m_col));
        return true;
    }
    m_mouseRow = row;
    if (!index.isValid() || !left || !commitEditor())
        return true;
    if (event->modifiers().testFlag(Qt::ShiftModifier))
        extendSelection(row);
    else if (userMove(row, col) && onButton)
        pressCellButton();
    return true;
}

bool GridControl::headerPress(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (onResizeHandle(pos.x()))
        return false; // the header resizes the column
    if (m_busy > 0)
        return true;
    Busy busy(*this);
    m_mouseRow = 0;
    QHeaderView *header = m_view->horizontalHeader();
    const int col = header->logicalIndexAt(pos.x());
    if (event->button() != Qt::LeftButton || col < 0 || !commitEditor() || !userMove(1, col))
        return true;
    raisePendingEnter(); // the window sees the new row before the click
    const QPoint at = header->viewport()->mapTo(this, pos);
    if (m_events)
        m_events->gridHeaderClick(1, shiftMask(event->modifiers()), at.x(), at.y());
    return true;
}

// The same grip zone the header uses to start resizing a section.
bool GridControl::onResizeHandle(int x) const
{
    const QHeaderView *header = m_view->horizontalHeader();
    const int visual = header->visualIndexAt(x);
    if (visual < 0)
        return false;
    const int col = header->logicalIndex(visual);
    const int start = header->sectionViewportPosition(col);
    const int grip = header->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header);
    if (x < start + grip)
        return visual > 0;
    return x > start + header->sectionSize(col) - grip;
}
