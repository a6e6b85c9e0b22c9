#pragma once

#include "GridEvents.h"
#include "GridRows.h"

#include <QByteArrayView>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class GridDelegate;
class GridEditor;
class GridModel;
class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;
class QMouseEvent;
class QTableView;

// An editable grid of text cells with a header row, driven by the keyboard and the mouse like a
// spreadsheet, that reports what the user does through GridEvents.
//
// Rows: row 0 is the header row (shown as the column headings), rows 1.. are data rows, and
// rowCount() counts the header row too. Columns are 0-based. Lengths are in twips (1440 to the
// inch), converted with the screen's logical DPI.
//
// The cursor is one current cell, always on a data row when there is one. User moves to another
// row ask gridRowLeave first (except when leaving an untouched last row, all of whose cells are
// empty); every change of the current cell, by the user or by the setters, raises gridRowEnter
// once afterwards. Typing a character, F2 or a double click opens a cell editor; Enter, Tab,
// Up/Down/Page keys, a click elsewhere or the focus leaving the grid commit it through
// gridCellEdited; Esc abandons it.
//
// Home and End go to the first and last column, Ctrl+Home and Ctrl+End to the first and last row
// (both with the row-leave question of any user move; with Shift they move the selection end).
//
// A text wider than its cell ends in "…" and shows whole as the cell's tooltip. The per-column flag
// (0 a free-text column, 1 any other) is kept for the host and changes nothing shown.
class GridControl : public QWidget
{
    Q_OBJECT

public:
    explicit GridControl(QWidget *parent = nullptr);
    ~GridControl() override;

    // Who receives the notifications; nullptr for nobody. Not owned.
    void setEvents(GridEvents *events);

    QString text(long row, long col) const;
    // Hands data rows first .. last (from 1), in order, to row: each one's cells in UTF-8, valid
    // during the call; row answers whether to go on. The way to read a large grid: no QString, no
    // look-up per cell.
    void readRows(long first, long last, const GridRows::Reader &row) const;
    // The data rows themselves (grid row r is their row r - 1): their records, for a store kept
    // beside the grid.
    const GridRows &dataRowStore() const;
    // The first data row whose cell in column col is text (UTF-8), from 1; 0 when none is.
    long findRow(long col, QByteArrayView text) const;
    void setText(long row, long col, const QString &text);
    // A data cell's text as the grid shows it: whole, or cut short with "…" when it is too wide.
    QString shownText(long row, long col) const;

    // Row count including the header row; setting it adds blank rows or drops rows at the bottom.
    long rowCount() const;
    void setRowCount(long n);
    // Appends rows filled off the grid below the others, leaving rows empty: the way to fill a
    // large grid, one compact copy of each row and no per-cell work.
    void appendRows(GridRows &rows);
    long columnCount() const;
    void setColumnCount(long n);
    // Only one header row and no header column are meaningful: these show or hide the headings.
    void setHeaderRowCount(long n);
    void setHeaderColumnCount(long n);
    long headerColumnCount() const { return m_headerColumns; }

    long currentRow() const { return m_row; }
    // Also collapses any selected block of rows onto the new row.
    void setCurrentRow(long row);
    long currentColumn() const { return m_col; }
    void setCurrentColumn(long col);
    // The other end of a selected block of rows; currentRow() when one row is selected.
    long selectionEndRow() const { return m_selectionEnd; }
    void setSelectionEndRow(long row);
    // Scrolls so that row is the first data row shown.
    void setTopRow(long row);
    // On: the last data row is where new data is entered, not a record, so Ctrl+End stops on the
    // row above it (unless it is the only data row). Off by default.
    void setTrailingEntryRow(bool on) { m_trailingEntryRow = on; }

    void setColumnWidth(long col, long twips);
    // The width as set, or as the user has dragged it since; -1 for a column never given one.
    long columnWidth(long col) const;
    // The editor of the column's cells takes at most maxChars characters; 0 for no limit.
    void setColumnInputLimit(long col, int maxChars);
    void setColumnFlag(long col, int flag);
    int columnFlag(long col) const;
    // 1 left, 2 right, 3 centre.
    void setColumnAlignment(long col, int alignment);
    // The column's cells show a "..." button; clicking it, or F3 on such a cell, raises
    // gridCellButton.
    void setReferenceColumn(long col);
    // Row 0 sets the header's height; any other row sets the one height all data rows share.
    void setRowHeight(long row, long twips);

    // Value 1 sorts the rows from currentRow() to selectionEndRow() ascending by the current
    // column (ASCII texts in character-code order, then the others in pinyin order; see
    // GridSortOrder); other values do nothing.
    void setSort(int value);
    // Off suspends painting and per-row model updates while rows are filled; on shows the result.
    void setRedraw(bool on);
    // Rows below move up. The cursor stays with its row, or on the same row number when its own
    // row is removed; an open editor is closed.
    void removeRow(long row);

    // The row under the mouse at the last press in the grid: 0 the header, -1 no row.
    long mouseRow() const { return m_mouseRow; }
    bool isEditing() const { return m_editing; }
    QTableView *view() const { return m_view; }
    // The one cell editor, hidden while no cell is edited.
    QLineEdit *editor() const;
    // Abandons an open cell editor as Esc would: the cell keeps its text.
    void closeEditor();
    // Commits an open cell editor as Enter would; false when gridCellEdited refused the text (the
    // editor stays open with it). True when no editor was open.
    bool finishEditing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Marks a grid operation under way; the outermost one raises the pending gridRowEnter as it
    // ends.
    class Busy
    {
    public:
        explicit Busy(GridControl &grid)
            : m_grid(grid)
        {
            ++grid.m_busy;
        }
        ~Busy() { m_grid.leaveBusy(); }
        Busy(const Busy &) = delete;
        Busy &operator=(const Busy &) = delete;

    private:
        GridControl &m_grid;
    };
    struct Column
    {
        long widthTwips = -1;
        int widthPixels = -1;
        int maxChars = 0;
        int flag = 0;
    };
    struct DeferredKey
    {
        QPointer<QObject> target;
        std::unique_ptr<QKeyEvent> event;
    };

    long dataRows() const;
    long lastRecordRow() const;
    long clampRow(long row) const;
    long clampColumn(long col) const;
    int pixelsX(long twips) const;
    int pixelsY(long twips) const;
    void applyColumnWidths();
    void scrollToTop(long row);

    // Cursor (GridControl_cursor.cpp).
    void leaveBusy();
    void raisePendingEnter();
    bool userMove(long row, long col);
    bool leavesSilently() const;
    void extendSelection(long row);
    void collapseSelection();
    void placeCursor(long row, long col);
    void clampCursor();
    void syncView();
    long pageRows() const;

    // Keyboard and mouse (GridControl_input.cpp).
    bool keyPressed(QObject *target, QKeyEvent *event);
    bool gridKey(const QKeyEvent &event);
    bool moveKey(const QKeyEvent &event);
    bool inputMethod(QInputMethodEvent *event);
    bool viewportMouse(QMouseEvent *event);
    bool headerPress(QMouseEvent *event);
    bool onResizeHandle(int x) const;

    // Cell editor (GridControl_editing.cpp).
    void openEditor(const QString &text);
    bool commitEditor();
    bool storeEdit(long row, long col, QString &text);
    void abandonEditor();
    void hideEditor();
    void placeEditor();
    void editorFocusLost(const QFocusEvent &event);
    void pressCellButton();

    GridModel *m_model;
    QTableView *m_view;
    GridDelegate *m_delegate;
    GridEditor *m_editor;
    GridEvents *m_events = nullptr;
    std::vector<Column> m_columns;

    long m_row = 0;
    long m_col = 0;
    long m_selectionEnd = 0;
    long m_mouseRow = -1;
    long m_pendingTopRow = 0;
    long m_headerColumns = 0;
    bool m_redraw = true;
    bool m_trailingEntryRow = false;

    bool m_editing = false;
    bool m_committing = false;
    long m_editRow = 0;
    long m_editCol = 0;

    // Depth of grid operations under way; notifications and key handling run inside one.
    int m_busy = 0;
    bool m_enterPending = false;
    // Keys that reached the grid while one of its handlers ran a nested event loop (a message box):
    // replayed once the grid is idle, so that queued keystrokes keep their order.
    std::vector<DeferredKey> m_deferredKeys;
};
