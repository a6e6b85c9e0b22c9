#pragma once

#include <QStyledItemDelegate>
#include <vector>

class GridControl;

// Paints the grid's cells: the cursor cell and a selected block of rows in the highlight colours,
// and a small "..." button at the right edge of reference-column cells. A text wider than its cell
// ends in "…" (the view elides it) and shows whole as the cell's tooltip.
class GridDelegate final : public QStyledItemDelegate
{
public:
    GridDelegate(const GridControl &grid, QObject *parent);

    void setButtonColumn(int col);
    bool hasButton(int col) const;
    // Where the button of a cell whose rectangle is cell is drawn.
    static QRect buttonRect(const QRect &cell);
    // The part of a cell that shows (and edits) its text: all of it but the button.
    QRect textRect(const QRect &cell, int col) const;

    // The text as the cell shows it: whole, or cut short with "…" where the view cuts it.
    QString shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    bool isSelected(const QModelIndex &index) const;

    const GridControl &m_grid;
    std::vector<bool> m_buttonColumns;
};
