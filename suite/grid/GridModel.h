#pragma once

#include "GridRows.h"

#include <QAbstractTableModel>
#include <QString>
#include <vector>

// The grid's cells: data rows (GridRows) plus one header text and alignment per column. Rows here
// are the model's own, 0-based; the grid puts its header row on top of them.
//
// While frozen the model sends no signals and keeps telling views the shape they last heard of,
// so that filling 100,000 rows costs nothing per row; thawing publishes everything with one reset.
class GridModel final : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    long rows() const { return m_rows.size(); }
    long columns() const { return long(m_columns.size()); }
    QString cell(long row, long col) const;
    const GridRows &rowStore() const { return m_rows; }
    void readRows(long first, long last, const GridRows::Reader &row) const
    {
        m_rows.read(first, last, row);
    }
    void setCell(long row, long col, const QString &text);
    QString header(long col) const;
    void setHeader(long col, const QString &text);
    Qt::Alignment alignment(long col) const;
    void setAlignment(long col, Qt::Alignment alignment);

    void resizeRows(long count);
    // Appends the rows, leaving them empty.
    void appendRows(GridRows &rows);
    void resizeColumns(long count);
    void removeRow(long row);
    // Stable ascending sort of rows first..last by one column, in GridSortOrder.
    void sortRows(long first, long last, long col);

    bool frozen() const { return m_frozen; }
    void freeze();
    void thaw();

private:
    struct Column
    {
        QString header;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    bool contains(long row, long col) const;

    GridRows m_rows;
    std::vector<Column> m_columns;
    bool m_frozen = false;
    // The shape views were last told about; equal to the real one unless frozen.
    int m_shownRows = 0;
    int m_shownColumns = 0;
};
