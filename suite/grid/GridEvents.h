#pragma once

class QString;

// What a grid tells the window that hosts it. Arguments passed by reference are read back when the
// handler returns: a handler refuses by setting cancel to 1, and may replace a text.
class GridEvents
{
public:
    virtual ~GridEvents() = default;

    // The user finished editing a cell; the cell already holds text while this runs. Refusing puts
    // the old text back and keeps the editor open with what the user typed; otherwise the cell
    // takes text as the handler leaves it.
    virtual void gridCellEdited(QString &text, long &cancel, long row, long col) = 0;
    // The user is about to move the cursor off row. Refusing keeps the cursor where it is; a
    // handler that moves the cursor itself overrides the user's move.
    virtual void gridRowLeave(long &cancel, long row, long col) = 0;
    // A cell editor opens (before it shows) or closes (after a commit or an abandon).
    virtual void gridEditMode(bool opening) = 0;
    // The current cell has changed; raised once after the move is complete.
    virtual void gridRowEnter() = 0;
    // The button of a reference-column cell was pressed. A changed text is then reported as an
    // edit of that cell.
    virtual void gridCellButton(QString &text, long row, long col) = 0;
    // A header cell was clicked: button 1 left, shift mask 1 Shift, 2 Ctrl, 4 Alt, position in
    // pixels relative to the grid.
    virtual void gridHeaderClick(int button, int shift, int x, int y) = 0;
};
