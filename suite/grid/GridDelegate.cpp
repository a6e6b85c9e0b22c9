#include "GridDelegate.h"

#include "GridControl.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>

namespace {

const QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

GridDelegate::GridDelegate(const GridControl &grid, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_grid(grid)
{
}

void GridDelegate::setButtonColumn(int col)
{
    if (col < 0)
        return;
    if (size_t(col) >= m_buttonColumns.size())
        m_buttonColumns.resize(size_t(col) + 1);
    m_buttonColumns[size_t(col)] = true;
}

bool GridDelegate::hasButton(int col) const
{
    return col >= 0 && size_t(col) < m_buttonColumns.size() && m_buttonColumns[size_t(col)];
}

QRect GridDelegate::buttonRect(const QRect &cell)
{
    const int height = qMax(cell.height() - 2, 1);
    const int width = qMin(qMax(height, 16), cell.width() / 2);
    return {cell.right() - width, cell.top() + 1, width, height};
}

QRect GridDelegate::textRect(const QRect &cell, int col) const
{
    if (!hasButton(col))
        return cell;
    QRect text = cell;
    text.setRight(buttonRect(cell).left() - 1);
    return text;
}

bool GridDelegate::isSelected(const QModelIndex &index) const
{
    const long row = index.row() + 1;
    const long cursor = m_grid.currentRow();
    const long end = m_grid.selectionEndRow();
    if (cursor == end)
        return row == cursor && index.column() == m_grid.currentColumn();
    return row >= qMin(cursor, end) && row <= qMax(cursor, end);
}

void GridDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->state.setFlag(QStyle::State_Selected, isSelected(index));
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    if (!hasButton(index.column())) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem text = option;
    text.rect = textRect(option.rect, index.column());
    QStyledItemDelegate::paint(painter, text, index);

    QStyleOptionButton button;
    button.rect = buttonRect(option.rect);
    button.text = QStringLiteral("...");
    button.state = QStyle::State_Enabled | QStyle::State_Raised;
    button.palette = option.palette;
    button.fontMetrics = option.fontMetrics;
    button.direction = option.direction;
    styleOf(option)->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
}

// The same room and the same cut as the style's own drawing of an item's text.
QString GridDelegate::shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.rect = textRect(option.rect, index.column());
    const QStyle *style = styleOf(opt);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    return opt.fontMetrics.elidedText(opt.text, opt.textElideMode, area.width() - 2 * margin);
}

bool GridDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                             const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.data().toString();
    if (shownText(option, index) != text) {
        // Converted so that text looking like markup is shown as it stands.
        QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(text), view, option.rect);
    } else {
        QToolTip::hideText();
    }
    return true;
}
