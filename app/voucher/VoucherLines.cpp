#include "VoucherLines.h"

#include "DigestPicker.h"

namespace {

constexpr int kStartLines = 5;

} // namespace

VoucherLines::VoucherLines(QHash<QString, QString> chart, QObject *parent)
    : QAbstractTableModel(parent)
    , m_chart(std::move(chart))
    , m_rows(kStartLines)
{
}

int VoucherLines::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int VoucherLines::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant VoucherLines::data(const QModelIndex &index, int role) const
{
    const Row &row = m_rows.at(index.row());
    if (role == Qt::ToolTipRole && index.column() == Summary && !row.line.digestId.isEmpty())
        return QStringLiteral("常用摘要 %1").arg(row.line.digestId);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Summary:
        return row.line.summary;
    case Account:
        return row.line.accountCode;
    default:
        return row.accountName;
    }
}

QVariant VoucherLines::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const QString headings[ColumnCount] = {QStringLiteral("摘要"), QStringLiteral("科目"),
                                                  QStringLiteral("科目名称")};
    return headings[section];
}

Qt::ItemFlags VoucherLines::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return index.column() == AccountName ? base : base | Qt::ItemIsEditable;
}

bool VoucherLines::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || index.column() == AccountName)
        return false;
    Row &row = m_rows[index.row()];
    const QString typed = value.toString().trimmed();
    if (index.column() == Summary && typed != row.line.summary) {
        row.line.summary = typed;
        row.line.digestId.clear();
    } else if (index.column() == Account) {
        row.line.accountCode = typed;
        row.accountName = m_chart.value(typed);
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    keepOneEmptyBelow(index.row());
    return true;
}

void VoucherLines::pick(int row, const DigestMatch &match)
{
    m_rows[row] = {{match.text, match.code, match.accountCode}, match.accountName};
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    keepOneEmptyBelow(row);
}

const VoucherLedger::Line &VoucherLines::line(int row) const
{
    return m_rows.at(row).line;
}

QList<VoucherLedger::Line> VoucherLines::filled() const
{
    QList<VoucherLedger::Line> lines;
    for (const Row &row : m_rows) {
        if (!row.line.summary.isEmpty())
            lines.append(row.line);
    }
    return lines;
}

void VoucherLines::reset()
{
    beginResetModel();
    m_rows = QList<Row>(kStartLines);
    endResetModel();
}

void VoucherLines::keepOneEmptyBelow(int row)
{
    if (row != m_rows.size() - 1 || m_rows.at(row).line.summary.isEmpty())
        return;
    beginInsertRows(QModelIndex(), row + 1, row + 1);
    m_rows.append(Row());
    endInsertRows();
}
