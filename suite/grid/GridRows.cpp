#include "GridRows.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

constexpr size_t kBlock = 2048;

void putNumber(char *&out, quint32 value)
{
    while (value >= 0x80) {
        *out++ = char(value | 0x80);
        value >>= 7;
    }
    *out++ = char(value);
}

quint32 takeNumber(const char *&p)
{
    quint32 value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = quint8(*p++);
        value |= quint32(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return value;
    }
}

} // namespace

GridRows::GridRows()
{
    // The record of a row without any text, shared by every such row.
    m_pool.append('\0');
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

GridRows::Record GridRows::record(long row) const
{
    Record r;
    const char *p = m_pool.constData() + start(row);
    r.count = int(takeNumber(p));
    r.lengths = p;
    for (int i = 0; i < r.count; ++i)
        takeNumber(p);
    r.texts = p;
    return r;
}

QByteArrayView GridRows::cellUtf8(long row, long col) const
{
    if (row < 0 || row >= m_size || col < 0)
        return {};
    const Record r = record(row);
    if (col >= r.count)
        return {};
    const char *p = r.lengths;
    quint32 offset = 0;
    for (long i = 0; i < col; ++i)
        offset += takeNumber(p);
    return {r.texts + offset, qsizetype(takeNumber(p))};
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
    std::vector<QByteArrayView> cells;
    size_t b = size_t(std::upper_bound(m_firstRow.begin(), m_firstRow.end(), first) -
                      m_firstRow.begin() - 1);
    size_t i = size_t(first - m_firstRow[b]);
    for (long n = first; n <= last; ++n, ++i) {
        if (i == m_blocks[b].size()) {
            ++b;
            i = 0;
        }
        const char *p = m_pool.constData() + m_blocks[b][i];
        const int count = int(takeNumber(p));
        cells.resize(size_t(count));
        const char *lengths = p;
        for (int c = 0; c < count; ++c)
            takeNumber(p);
        for (int c = 0; c < count; ++c) {
            const qsizetype length = qsizetype(takeNumber(lengths));
            cells[size_t(c)] = QByteArrayView(p, length);
            p += length;
        }
        if (!row(cells.data(), count))
            return;
    }
}

void GridRows::setCell(long row, long col, QStringView text)
{
    if (row < 0 || row >= m_size || col < 0)
        return;
    const int count = std::max(int(col) + 1, record(row).count);
    // The row's texts are copied out first: writing may move the pool.
    std::vector<QByteArray> texts(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        texts[size_t(i)] = i == col ? text.toUtf8() : cellUtf8(row, i).toByteArray();
    std::vector<QByteArrayView> cells(texts.begin(), texts.end());
    start(row) = write(cells.data(), count);
}

quint32 GridRows::write(const QByteArrayView *cells, int count)
{
    qsizetype bytes = 0;
    for (int i = 0; i < count; ++i)
        bytes += cells[i].size();
    if (bytes == 0)
        return 0;
    const qsizetype at = m_pool.size();
    // The record's room at once: lengths take at most five bytes each.
    const qsizetype most = at + bytes + 5 * (count + 1);
    if (most > qsizetype(std::numeric_limits<quint32>::max()))
        throw std::length_error("GridRows: more text than a grid holds");
    m_pool.resize(most);
    char *p = m_pool.data() + at;
    putNumber(p, quint32(count));
    for (int i = 0; i < count; ++i)
        putNumber(p, quint32(cells[i].size()));
    for (int i = 0; i < count; ++i) {
        if (cells[i].isEmpty())
            continue; // an empty view may hold no pointer at all, which memcpy must not get
        std::memcpy(p, cells[i].data(), size_t(cells[i].size()));
        p += cells[i].size();
    }
    m_pool.truncate(p - m_pool.constData());
    return quint32(at);
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

void GridRows::append(const QByteArrayView *cells, int count)
{
    pushStart(write(cells, count));
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
    } else {
        std::vector<QByteArrayView> cells;
        for (long row = 0; row < other.m_size; ++row) {
            const Record r = other.record(row);
            cells.resize(size_t(r.count));
            for (int c = 0; c < r.count; ++c)
                cells[size_t(c)] = other.cellUtf8(row, c);
            append(cells.data(), r.count);
        }
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
    m_pool.squeeze();
    for (std::vector<quint32> &starts : m_blocks)
        starts.shrink_to_fit();
}
