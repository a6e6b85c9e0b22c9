#include "GridControl.h"

#include "GridDelegate.h"
#include "GridEditor.h"
#include "GridModel.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr long kDefaultRowTwips = 300;
constexpr int kTwipsPerInch = 1440;

int twipsToPixels(long twips, int dpi)
{
    return int(std::lround(double(twips) * dpi / kTwipsPerInch));
}

} // namespace

GridControl::GridControl(QWidget *parent)
    : QWidget(parent)
    , m_model(new GridModel(this))
    , m_view(new QTableView(this))
    , m_delegate(new GridDelegate(*this, this))
    , m_editor(new GridEditor(m_view->viewport()))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    m_view->setModel(m_model);
    m_view->setItemDelegate(m_delegate);
    // The grid keeps its own cursor, selection and editor; the view only shows them.
    m_view->setSelectionMode(QAbstractItemView::NoSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setTabKeyNavigation(false);
    m_view->setCornerButtonEnabled(false);
    m_view->setWordWrap(false);
    m_view->setTextElideMode(Qt::ElideRight);

    // One fixed height for all data rows keeps 100,000 rows cheap to lay out.
    QHeaderView *rows = m_view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(pixelsY(kDefaultRowTwips));

    QHeaderView *columns = m_view->horizontalHeader();
    columns->setSectionsClickable(false); // a header click never selects a column
    columns->setHighlightSections(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setMinimumSectionSize(1);
    columns->setDefaultAlignment(Qt::AlignCenter);

    m_editor->hide();
    m_editor->setFrame(false);

    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    columns->viewport()->installEventFilter(this);
    m_editor->installEventFilter(this);

    connect(columns, &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        // Only a width the user dragged changes the twips; the grid's own resizing gives back
        // the pixels it was asked for, and converting those again would lose the exact value.
        if (size_t(col) < m_columns.size() && m_columns[size_t(col)].widthPixels != size) {
            m_columns[size_t(col)].widthPixels = size;
            m_columns[size_t(col)].widthTwips = long(qRound(size * 1440.0 / logicalDpiX()));
        }
        placeEditor();
    });
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &GridControl::placeEditor);
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &GridControl::placeEditor);
}

GridControl::~GridControl() = default;

QLineEdit *GridControl::editor() const
{
    return m_editor;
}

void GridControl::setEvents(GridEvents *events)
{
    m_events = events;
}

QString GridControl::text(long row, long col) const
{
    return row == 0 ? m_model->header(col) : m_model->cell(row - 1, col);
}

// The option the view paints the cell with, as far as the text's room depends on it.
QString GridControl::shownText(long row, long col) const
{
    const QModelIndex index = m_model->index(int(row) - 1, int(col));
    QStyleOptionViewItem option;
    option.initFrom(m_view);
    option.widget = m_view;
    option.font = m_view->font();
    option.textElideMode = m_view->textElideMode();
    option.rect = m_view->visualRect(index);
    return m_delegate->shownText(option, index);
}

void GridControl::readRows(long first, long last, const GridRows::Reader &row) const
{
    m_model->readRows(first - 1, last - 1, row);
}

const GridRows &GridControl::dataRowStore() const
{
    return m_model->rowStore();
}

long GridControl::findRow(long col, QByteArrayView text) const
{
    return m_model->rowStore().find(col, text) + 1;
}

void GridControl::setText(long row, long col, const QString &text)
{
    if (row == 0)
        m_model->setHeader(col, text);
    else
        m_model->setCell(row - 1, col, text);
}

long GridControl::rowCount() const
{
    return m_model->rows() + 1;
}

long GridControl::dataRows() const
{
    return m_model->rows();
}

long GridControl::lastRecordRow() const
{
    return m_trailingEntryRow && dataRows() > 1 ? dataRows() - 1 : dataRows();
}

long GridControl::clampRow(long row) const
{
    return dataRows() == 0 ? 0 : qBound(1L, row, dataRows());
}

long GridControl::clampColumn(long col) const
{
    return qBound(0L, col, qMax(0L, columnCount() - 1));
}

void GridControl::setRowCount(long n)
{
    Busy busy(*this);
    n = qMax(1L, n);
    if (m_editing && m_editRow >= n)
        abandonEditor();
    m_model->resizeRows(n - 1);
    clampCursor();
}

void GridControl::appendRows(GridRows &rows)
{
    Busy busy(*this);
    m_model->appendRows(rows);
    clampCursor();
}

long GridControl::columnCount() const
{
    return m_model->columns();
}

void GridControl::setColumnCount(long n)
{
    Busy busy(*this);
    n = qMax(0L, n);
    if (m_editing && m_editCol >= n)
        abandonEditor();
    m_columns.resize(size_t(n));
    m_model->resizeColumns(n);
    applyColumnWidths();
    clampCursor();
}

void GridControl::setHeaderRowCount(long n)
{
    m_view->horizontalHeader()->setVisible(n > 0);
}

void GridControl::setHeaderColumnCount(long n)
{
    m_headerColumns = n;
    m_view->verticalHeader()->setVisible(n > 0);
}

int GridControl::pixelsX(long twips) const
{
    return twipsToPixels(twips, logicalDpiX());
}

int GridControl::pixelsY(long twips) const
{
    return twipsToPixels(twips, logicalDpiY());
}

void GridControl::setColumnWidth(long col, long twips)
{
    if (col < 0 || col >= columnCount())
        return;
    m_columns[size_t(col)].widthTwips = twips;
    m_columns[size_t(col)].widthPixels = pixelsX(twips);
    applyColumnWidths();
}

long GridControl::columnWidth(long col) const
{
    return col >= 0 && col < columnCount() ? m_columns[size_t(col)].widthTwips : -1;
}

// Widths live here: columns added while redraw is off reach the header only when it comes back on.
void GridControl::applyColumnWidths()
{
    QHeaderView *header = m_view->horizontalHeader();
    for (size_t col = 0; col < m_columns.size() && int(col) < header->count(); ++col) {
        if (m_columns[col].widthPixels >= 0)
            header->resizeSection(int(col), m_columns[col].widthPixels);
    }
}

void GridControl::setColumnInputLimit(long col, int maxChars)
{
    if (col >= 0 && col < columnCount())
        m_columns[size_t(col)].maxChars = qMax(0, maxChars);
}

void GridControl::setColumnFlag(long col, int flag)
{
    if (col >= 0 && col < columnCount())
        m_columns[size_t(col)].flag = flag;
}

int GridControl::columnFlag(long col) const
{
    return col >= 0 && col < columnCount() ? m_columns[size_t(col)].flag : 0;
}

void GridControl::setColumnAlignment(long col, int alignment)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (alignment == 2)
        horizontal = Qt::AlignRight;
    else if (alignment == 3)
        horizontal = Qt::AlignHCenter;
    m_model->setAlignment(col, horizontal | Qt::AlignVCenter);
}

void GridControl::setReferenceColumn(long col)
{
    m_delegate->setButtonColumn(int(col));
    m_view->viewport()->update();
}

void GridControl::setRowHeight(long row, long twips)
{
    if (row == 0)
        m_view->horizontalHeader()->setFixedHeight(pixelsY(twips));
    else
        m_view->verticalHeader()->setDefaultSectionSize(pixelsY(twips));
    placeEditor();
}

void GridControl::setTopRow(long row)
{
    if (m_model->frozen())
        m_pendingTopRow = row;
    else
        scrollToTop(row);
}

void GridControl::scrollToTop(long row)
{
    row = clampRow(row);
    if (row > 0)
        m_view->scrollTo(m_model->index(int(row) - 1, int(clampColumn(m_col))),
                         QAbstractItemView::PositionAtTop);
}

void GridControl::setSort(int value)
{
    if (value != 1 || m_row < 1)
        return;
    m_model->sortRows(qMin(m_row, m_selectionEnd) - 1, qMax(m_row, m_selectionEnd) - 1, m_col);
}

void GridControl::setRedraw(bool on)
{
    if (on == m_redraw)
        return;
    m_redraw = on;
    if (!on) {
        m_view->setUpdatesEnabled(false);
        m_model->freeze();
        return;
    }
    m_model->thaw();
    applyColumnWidths();
    m_view->setUpdatesEnabled(true);
    syncView();
    if (m_pendingTopRow > 0) {
        scrollToTop(m_pendingTopRow);
        m_pendingTopRow = 0;
    }
    placeEditor();
}

void GridControl::removeRow(long row)
{
    if (row < 1 || row > dataRows())
        return;
    Busy busy(*this);
    abandonEditor();
    m_model->removeRow(row - 1);
    if (m_selectionEnd > row)
        --m_selectionEnd;
    if (row <= m_row) {
        // The cursor's row moved up or was replaced by the one below: either way it is entered.
        m_enterPending = true;
        if (row < m_row)
            --m_row;
    }
    clampCursor();
    syncView();
}

void GridControl::closeEditor()
{
    Busy busy(*this);
    abandonEditor();
}

bool GridControl::finishEditing()
{
    Busy busy(*this);
    return commitEditor();
}

bool GridControl::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == m_view || watched == m_editor)
            return keyPressed(watched, static_cast<QKeyEvent *>(event));
        break;
    case QEvent::InputMethod:
        if (watched == m_view)
            return inputMethod(static_cast<QInputMethodEvent *>(event));
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (watched == m_view->viewport())
            return viewportMouse(static_cast<QMouseEvent *>(event));
        if (watched == m_view->horizontalHeader()->viewport() &&
            event->type() == QEvent::MouseButtonPress)
            return headerPress(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::FocusOut:
        if (watched == m_editor)
            editorFocusLost(*static_cast<QFocusEvent *>(event));
        break;
    case QEvent::Resize:
        if (watched == m_view->viewport())
            placeEditor();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
