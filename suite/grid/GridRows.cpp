#include "GridRows.h"

#include <algorithm>

namespace {

constexpr size_t kBlock = 2048;

} // namespace

GridRows::GridRows()
    : m_pool(std::make_shared<GridPool>())
{
}

GridRows::GridRows(std::shared_ptr<GridPool> pool)
    : m_pool(std::move(pool))
{
}

quint32 GridRows::start(long row) const
{
    const auto block = std::upper_bound(m_firstRow.begin(), m_firstRow.end(), row) - 1;
    const size_t b = size_t(block - m_firstRow.begin());
    return m_blocks[b][size_t(row - *block)];
}

quint32 &GridRows::start(long row)
{
    const auto block = std::upper_bound(m_firstRow.begin(), m_firstRow.end(), row) - 1;
    const size_t b = size_t(block - m_firstRow.begin());
    return m_blocks[b][size_t(row - *block)];
}

QByteArrayView GridRows::cellUtf8(long row, long col) const
{
    if (row < 0 || row >= m_size || col < 0)
        return {};
    return m_pool->cell(start(row), int(col));
}

QString GridRows::cell(long row, long col) const
{
    return QString::fromUtf8(cellUtf8(row, col));
}

void GridRows::read(long first, long last, const Reader &row) const
{
    first = std::max(0L, first);
    last = std::min(m_size - 1, last);
    if (first > last)
        return;
    std::vector<QByteArrayView> cells(4);
    size_t b = size_t(std::upper_bound(m_firstRow.begin(), m_firstRow.end(), first) -
                      m_firstRow.begin() - 1);
    size_t i = size_t(first - m_firstRow[b]);
    for (long n = first; n <= last; ++n, ++i) {
        if (i == m_blocks[b].size()) {
            ++b;
            i = 0;
        }
        const quint32 at = m_blocks[b][i];
        const int count = m_pool->cells(at, cells.data(), int(cells.size()));
        if (count > int(cells.size())) {
            cells.resize(size_t(count));
            m_pool->cells(at, cells.data(), count);
        }
        if (!row(cells.data(), count))
            return;
    }
}

// Straight through the blocks, the cell compared where it lies: Find's look through a whole
// listing costs a few nanoseconds a row.
long GridRows::find(long col, QByteArrayView text, long from) const
{
    if (col < 0)
        return -1;
    std::vector<QByteArrayView> cells(size_t(col) + 1);
    const int wanted = int(col);
    for (size_t b = 0; b < m_blocks.size(); ++b) {
        const long first = m_firstRow[b];
        if (first + long(m_blocks[b].size()) <= from)
            continue;
        for (size_t i = size_t(std::max(0L, from - first)); i < m_blocks[b].size(); ++i) {
            const int count = m_pool->cells(m_blocks[b][i], cells.data(), wanted + 1);
            if (count > wanted && cells[size_t(wanted)] == text)
                return first + long(i);
            if (count <= wanted && text.isEmpty())
                return first + long(i);
        }
    }
    return -1;
}

std::vector<quint32> GridRows::recordStarts(long first, long last) const
{
    std::vector<quint32> starts;
    first = std::max(0L, first);
    last = std::min(m_size - 1, last);
    if (first > last)
        return starts;
    starts.reserve(size_t(last - first + 1));
    for (size_t b = 0; b < m_blocks.size(); ++b) {
        const long from = std::max(first, m_firstRow[b]);
        const long to = std::min(last + 1, m_firstRow[b] + long(m_blocks[b].size()));
        if (from < to)
            starts.insert(starts.end(), m_blocks[b].begin() + (from - m_firstRow[b]),
                          m_blocks[b].begin() + (to - m_firstRow[b]));
    }
    return starts;
}

// Starts only, four bytes a row: a tenth of the time of comparing cells.
long GridRows::findRecord(quint32 start) const
{
    if (start == 0)
        return -1;
    for (size_t b = 0; b < m_blocks.size(); ++b) {
        const auto at = std::find(m_blocks[b].begin(), m_blocks[b].end(), start);
        if (at != m_blocks[b].end())
            return m_firstRow[b] + long(at - m_blocks[b].begin());
    }
    return -1;
}

void GridRows::setCell(long row, long col, QStringView text)
{
    if (row < 0 || row >= m_size || col < 0)
        return;
    const quint32 at = start(row);
    const int count = std::max(int(col) + 1, m_pool->cells(at, nullptr, 0));
    std::vector<QByteArrayView> cells(static_cast<size_t>(count));
    m_pool->cells(at, cells.data(), count);
    const QByteArray utf8 = text.toUtf8();
    cells[size_t(col)] = utf8;
    start(row) = m_pool->write(cells.data(), count);
}

void GridRows::pushStart(quint32 start)
{
    if (m_blocks.empty() || m_blocks.back().size() == kBlock) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(kBlock);
        m_firstRow.push_back(m_size);
    }
    m_blocks.back().push_back(start);
    ++m_size;
}

void GridRows::append(const QByteArrayView *cells, int count, quint32 shared)
{
    pushStart(m_pool->write(cells, count, shared));
}

void GridRows::appendBlank(long count)
{
    for (long i = 0; i < count; ++i)
        pushStart(0);
}

void GridRows::take(GridRows &other)
{
    if (m_size == 0) {
        // Nothing of ours is left to keep: the other rows' storage becomes ours as it is.
        std::swap(*this, other);
    } else if (other.m_pool == m_pool) {
        for (long row = 0; row < other.m_size; ++row)
            pushStart(other.start(row));
    } else {
        other.read(0, other.m_size - 1, [this](const QByteArrayView *cells, int count) {
            append(cells, count);
            return true;
        });
    }
    other = GridRows();
}

void GridRows::truncate(long count)
{
    count = std::max(0L, count);
    while (m_size > count) {
        std::vector<quint32> &last = m_blocks.back();
        const long drop = std::min(long(last.size()), m_size - count);
        last.resize(last.size() - size_t(drop));
        m_size -= drop;
        if (last.empty()) {
            m_blocks.pop_back();
            m_firstRow.pop_back();
        }
    }
}

void GridRows::remove(long row)
{
    if (row < 0 || row >= m_size)
        return;
    const auto block = std::upper_bound(m_firstRow.begin(), m_firstRow.end(), row) - 1;
    const size_t b = size_t(block - m_firstRow.begin());
    std::vector<quint32> &starts = m_blocks[b];
    starts.erase(starts.begin() + (row - *block));
    --m_size;
    for (size_t after = b + 1; after < m_firstRow.size(); ++after)
        --m_firstRow[after];
    if (starts.empty()) {
        m_blocks.erase(m_blocks.begin() + long(b));
        m_firstRow.erase(m_firstRow.begin() + long(b));
    }
}

void GridRows::reorder(long first, const std::vector<long> &order)
{
    std::vector<quint32> starts(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        starts[i] = start(order[i]);
    for (size_t i = 0; i < order.size(); ++i)
        start(first + long(i)) = starts[i];
}

void GridRows::squeeze()
{
    m_pool->squeeze();
    for (std::vector<quint32> &starts : m_blocks)
        starts.shrink_to_fit();
}
