#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class frmDigBrowse;

// The summary window driven as a user drives it, and timed: keys and clicks reach the real
// widgets, the modal windows an action opens (the deletion's question, the find/filter dialog)
// are answered at once, and the time they are open is left out, so that a figure is the
// component's own work rather than the user's.
class WindowDriver final : public QObject
{
public:
    explicit WindowDriver(frmDigBrowse &window);

    // The texts the next find/filter dialog's three boxes are given before its OK.
    void setDialogAnswer(const QStringList &boxes) { m_boxes = boxes; }
    // Runs an action, what it queued and the painting of what it changed; answers the
    // milliseconds without the time modal windows were open.
    double time(const std::function<void()> &action);
    // Times the window's command for a toolbar key ("TlbRefresh"), as its button runs it.
    double command(const char *key);
    // Lets everything waiting happen, painting included; never timed.
    void settle();
    // A key to the grid, or to its cell editor when one is open.
    void press(int key, Qt::KeyboardModifiers modifiers = {});
    // Puts text into a cell as a user types it: F2, the text, Enter. Never timed.
    void typeCell(long row, long col, const QString &text);
    void clickHeader(long col);
    // A key to the quick search box (text: what it types; Esc clears the box), returning when the
    // search it starts has refilled the grid.
    void searchKey(int key, const QString &text = {});
    // Brings the search box to text, one key at a time, after the index has taken in the whole
    // listing, as it has by the time a user types. Never timed.
    void setSearchText(const QString &text);

    // The texts of message boxes that were not a deletion's question: a failed action.
    QStringList unexpected;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void answer(QObject *modal);

    frmDigBrowse &m_window;
    QStringList m_boxes;
    QElapsedTimer m_clock;
    QHash<QObject *, qint64> m_added; // the window's children added while timing, at what time
    QSet<QObject *> m_modals;
    qint64 m_modalNs = 0;
};
