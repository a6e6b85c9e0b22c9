#pragma once

#include <QKeyEvent>
#include <QLineEdit>

// The cell editor. Keys that arrive at the grid's view while a cell is edited are typed into it
// directly, without a second trip through event filters and parent widgets.
class GridEditor final : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

    // Accepts the event when the editor used it, ignores it otherwise.
    void typeKey(QKeyEvent *event)
    {
        event->accept();
        keyPressEvent(event);
    }
};
