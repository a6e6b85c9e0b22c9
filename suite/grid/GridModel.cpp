#include "GridModel.h"

#include "GridSortOrder.h"

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownColumns;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return alignment(index.column()).toInt();
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return header(section);
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    // Editable so that the view accepts input-method text; the grid itself opens the editors.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsEditable : Qt::NoItemFlags;
}

bool GridModel::contains(long row, long col) const
{
    return row >= 0 && row < rows() && col >= 0 && col < columns();
}

QString GridModel::cell(long row, long col) const
{
    return contains(row, col) ? m_rows.cell(row, col) : QString();
}

void GridModel::setCell(long row, long col, const QString &text)
{
    if (!contains(row, col))
        return;
    m_rows.setCell(row, col, text);
    if (!m_frozen) {
        const QModelIndex at = index(int(row), int(col));
        emit dataChanged(at, at, {Qt::DisplayRole});
    }
}

QString GridModel::header(long col) const
{
    return col >= 0 && col < columns() ? m_columns[size_t(col)].header : QString();
}

void GridModel::setHeader(long col, const QString &text)
{
    if (col < 0 || col >= columns())
        return;
    m_columns[size_t(col)].header = text;
    if (!m_frozen)
        emit headerDataChanged(Qt::Horizontal, int(col), int(col));
}

Qt::Alignment GridModel::alignment(long col) const
{
    return col >= 0 && col < columns() ? m_columns[size_t(col)].alignment
                                       : Qt::AlignLeft | Qt::AlignVCenter;
}

void GridModel::setAlignment(long col, Qt::Alignment alignment)
{
    if (col < 0 || col >= columns())
        return;
    m_columns[size_t(col)].alignment = alignment;
    if (!m_frozen && rows() > 0)
        emit dataChanged(index(0, int(col)), index(int(rows()) - 1, int(col)),
                         {Qt::TextAlignmentRole});
}

void GridModel::resizeRows(long count)
{
    const long old = rows();
    if (count == old)
        return;
    const auto resize = [this, old, count] {
        if (count > old)
            m_rows.appendBlank(count - old);
        else
            m_rows.truncate(count);
    };
    if (m_frozen) {
        resize();
    } else if (count > old) {
        beginInsertRows({}, int(old), int(count) - 1);
        resize();
        m_shownRows = int(count);
        endInsertRows();
    } else {
        beginRemoveRows({}, int(count), int(old) - 1);
        resize();
        m_shownRows = int(count);
        endRemoveRows();
    }
}

void GridModel::appendRows(GridRows &rows)
{
    if (rows.empty())
        return;
    if (m_frozen) {
        m_rows.take(rows);
        return;
    }
    const long old = this->rows();
    beginInsertRows({}, int(old), int(old + rows.size()) - 1);
    m_rows.take(rows);
    m_shownRows = int(this->rows());
    endInsertRows();
}

void GridModel::resizeColumns(long count)
{
    const long old = columns();
    if (count == old)
        return;
    // The rows keep what they hold; a cell shows only while its column is there.
    const auto apply = [this, count] { m_columns.resize(size_t(count)); };
    if (m_frozen) {
        apply();
    } else if (count > old) {
        beginInsertColumns({}, int(old), int(count) - 1);
        apply();
        m_shownColumns = int(count);
        endInsertColumns();
    } else {
        beginRemoveColumns({}, int(count), int(old) - 1);
        apply();
        m_shownColumns = int(count);
        endRemoveColumns();
    }
}

void GridModel::removeRow(long row)
{
    if (row < 0 || row >= rows())
        return;
    if (m_frozen) {
        m_rows.remove(row);
        return;
    }
    beginRemoveRows({}, int(row), int(row));
    m_rows.remove(row);
    m_shownRows = int(rows());
    endRemoveRows();
}

void GridModel::sortRows(long first, long last, long col)
{
    if (first < 0 || last >= rows() || first >= last || col < 0 || col >= columns())
        return;
    m_rows.reorder(first, GridSortOrder().sorted(m_rows, first, last, col));
    if (!m_frozen)
        emit dataChanged(index(int(first), 0), index(int(last), int(columns()) - 1),
                         {Qt::DisplayRole});
}

void GridModel::freeze()
{
    m_frozen = true;
}

void GridModel::thaw()
{
    if (!m_frozen)
        return;
    beginResetModel();
    m_frozen = false;
    m_shownRows = int(rows());
    m_shownColumns = int(columns());
    endResetModel();
}
