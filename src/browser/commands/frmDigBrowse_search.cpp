// The quick search: a box at the right of the toolbar that narrows the grid, as the user types, to
// the summaries whose code or mnemonic starts with the text, or whose text or account name contains
// it. It looks through an index of the whole listing held beside the grid, not through the
// database, so a keystroke costs the same whatever other users do, and no typed text ever becomes
// part of an SQL statement. Under a filter it looks among the filter's summaries only (the
// index's scope), and clearing it shows the filter's summaries again.
#include "frmDigBrowse.h"

#include "Guarded.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>

namespace {

// A search waits until the keys already typed have reached the box: keys that come together (a
// fast typist, a paste, an input method, keys typed while the grid was busy) make one search, and
// a search still waiting when another key comes is dropped for the newer text.
constexpr int kSearchDelayMs = 0;
constexpr int kSearchBoxWidth = 220;
constexpr int kMargin = 6;
// A step of the index's building: short enough that a key typed meanwhile is not kept waiting.
constexpr qint64 kIndexStepNs = 4'000'000;

} // namespace

void frmDigBrowse::InitSearchBox()
{
    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setPlaceholderText(QStringLiteral("快速查找 (Ctrl+F)"));
    txtSearch->setToolTip(
        QStringLiteral("输入编码、助记码（多音字按常用读音）或正文、科目名称中的文字"));
    txtSearch->setClearButtonEnabled(true);
    txtSearch->installEventFilter(this);

    mSearchTimer = new QTimer(this);
    mSearchTimer->setSingleShot(true);
    mSearchTimer->setInterval(kSearchDelayMs);
    connect(mSearchTimer, &QTimer::timeout, this, [this] { RunQuickSearch(); });
    // Only what the user changes searches; the window's own clearing does not.
    connect(txtSearch, &QLineEdit::textEdited, mSearchTimer, qOverload<>(&QTimer::start));

    mIndexTimer = new QTimer(this);
    connect(mIndexTimer, &QTimer::timeout, this, [this] {
        if (mSearchIndex.build(kIndexStepNs))
            mIndexTimer->stop();
    });

    auto *focusSearch = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(focusSearch, &QShortcut::activated, this, [this] {
        txtSearch->setFocus(Qt::ShortcutFocusReason);
        txtSearch->selectAll();
    });
}

// In the free space at the right of the toolbar's buttons, as wide as the space allows.
void frmDigBrowse::PlaceSearchBox()
{
    int buttonsEnd = 0;
    for (QAction *action : Toolbar1->actions())
        buttonsEnd = qMax(buttonsEnd, Toolbar1->actionGeometry(action).right());
    const int height = txtSearch->sizeHint().height();
    const int right = width() - kMargin;
    const int left = qMax(buttonsEnd + 2 * kMargin, right - kSearchBoxWidth);
    txtSearch->setGeometry(left, (Toolbar1->height() - height) / 2, qMax(0, right - left), height);
    txtSearch->raise();
}

// Esc clears the box (a filter in force stays) and gives the grid back the focus; Enter shows the
// result at once and goes to the grid.
bool frmDigBrowse::SearchBoxKey(const QKeyEvent &event)
{
    const int key = event.key();
    if (key == Qt::Key_Escape) {
        const bool shown = mblnSearching || mSearchTimer->isActive();
        txtSearch->clear();
        if (shown)
            RunQuickSearch();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (mSearchTimer->isActive())
            RunQuickSearch();
    } else {
        return false;
    }
    SpGrdDig->view()->setFocus(Qt::OtherFocusReason);
    return true;
}

void frmDigBrowse::RunQuickSearch()
{
    mSearchTimer->stop();
    const QString text = txtSearch->text();
    RefillGridFromIndex(mSearchIndex.find(text), !text.isEmpty());
}

void frmDigBrowse::ClearQuickSearch()
{
    mSearchTimer->stop();
    txtSearch->clear();
    mblnSearching = false;
}

// The sibling of RefillGrid for a search: the rows come from the index, and the stored count and
// the filter are what they were.
void frmDigBrowse::RefillGridFromIndex(const std::vector<quint32> &summaries, bool searching)
{
    RefillRows([this, &summaries] {
        GridRows rows = mSearchIndex.rows(summaries);
        SpGrdDig->appendRows(rows);
    });
    mblnSearching = searching;
    Guarded([this] { UpdateStatusLine(); });
}

// After a filter's refill: the quick search looks among the summaries the grid now shows.
void frmDigBrowse::ScopeSearchToGrid()
{
    mSearchIndex.beginScope();
    SpGrdDig->readRows(1, SpGrdDig->rowCount() - 2, [this](const QByteArrayView *cells, int count) {
        mSearchIndex.addToScope(cells, count);
        return true;
    });
}

// The rows a full refill showed, without the blank entry row, become the index's summaries; their
// initials are worked out a few milliseconds at a time while the window waits for the user, so
// the first paint and the keys typed meanwhile never wait for all of them.
void frmDigBrowse::TakeListingIntoIndex()
{
    const GridRows &rows = SpGrdDig->dataRowStore();
    mSearchIndex.reset(rows, 0, rows.size() - 2);
    mIndexTimer->start();
}
