// The cell editor: one line edit laid over the current cell while it is edited, and the cell
// button of reference columns, whose answer counts as an edit too.
#include "GridControl.h"

#include "GridDelegate.h"
#include "GridEditor.h"
#include "GridModel.h"

#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QTableView>

void GridControl::openEditor(const QString &text)
{
    if (m_editing || m_row < 1)
        return;
    if (m_events)
        m_events->gridEditMode(true);
    // The handler may have reshaped the grid; the editor opens on the current cell as it is now.
    if (m_row < 1 || m_col >= columnCount()) {
        if (m_events)
            m_events->gridEditMode(false);
        return;
    }
    m_editRow = m_row;
    m_editCol = m_col;
    m_editing = true;
    // The limit refuses more typing; it never cuts a longer text the cell already holds.
    const int limit = m_columns[size_t(m_col)].maxChars;
    m_editor->setMaxLength(limit > 0 ? qMax(limit, int(text.size())) : 32767);
    m_editor->setAlignment(m_model->alignment(m_col));
    m_editor->setText(text);
    placeEditor();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    // Clicks on the grid focus the view; while editing they must leave the focus in the editor,
    // or every click would commit through a focus change before the click itself is seen.
    m_view->setFocusProxy(m_editor);
}

void GridControl::placeEditor()
{
    if (!m_editing)
        return;
    const QModelIndex cell = m_model->index(int(m_editRow) - 1, int(m_editCol));
    m_editor->setGeometry(m_delegate->textRect(m_view->visualRect(cell), int(m_editCol)));
}

// Answers whether a move that waits for the commit may go on: false when the handler refused the
// text (the editor stays open with what the user typed) or moved the cursor itself.
bool GridControl::commitEditor()
{
    if (!m_editing)
        return true;
    if (m_committing)
        return false; // a focus change caused by the handler's own message box
    QScopedValueRollback<bool> committing(m_committing, true);
    const long row = m_row;
    const long col = m_col;
    QString text = m_editor->text();
    if (!storeEdit(m_editRow, m_editCol, text)) {
        if (m_editing)
            m_editor->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (m_editing) {
        hideEditor();
        if (m_events)
            m_events->gridEditMode(false);
    }
    return m_row == row && m_col == col;
}

// Puts a user's edit into a cell: the handler finds it there, and may refuse or replace it.
bool GridControl::storeEdit(long row, long col, QString &text)
{
    const QString old = this->text(row, col);
    setText(row, col, text);
    long cancel = 0;
    if (m_events)
        m_events->gridCellEdited(text, cancel, row, col);
    setText(row, col, cancel == 0 ? text : old);
    return cancel == 0;
}

void GridControl::abandonEditor()
{
    if (!m_editing)
        return;
    hideEditor();
    if (m_events)
        m_events->gridEditMode(false);
}

void GridControl::hideEditor()
{
    m_editing = false;
    m_view->setFocusProxy(nullptr);
    // Hand the focus back before hiding, or Qt would pass it on to the next widget of the window.
    if (m_view->window()->focusWidget() == m_editor)
        m_view->setFocus(Qt::OtherFocusReason);
    m_editor->hide();
}

void GridControl::editorFocusLost(const QFocusEvent &event)
{
    // Another window or a popup taking the focus (a message box, a menu) is no reason to commit.
    if (!m_editing || m_busy > 0 || event.reason() == Qt::ActiveWindowFocusReason ||
        event.reason() == Qt::PopupFocusReason)
        return;
    Busy busy(*this);
    commitEditor();
}

void GridControl::pressCellButton()
{
    raisePendingEnter(); // the window sees the new row before the button
    const long row = m_row;
    const long col = m_col;
    QString text = this->text(row, col);
    const QString before = text;
    if (m_events)
        m_events->gridCellButton(text, row, col);
    if (text == before)
        return;
    if (m_events)
        m_events->gridEditMode(true);
    storeEdit(row, col, text);
    if (m_events)
        m_events->gridEditMode(false);
}
