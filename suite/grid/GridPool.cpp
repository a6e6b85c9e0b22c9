#include "GridPool.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

void putNumber(char *&out, quint32 value)
{
    while (value >= 0x80) {
        *out++ = char(value | 0x80);
        value >>= 7;
    }
    *out++ = char(value);
}

} // namespace

GridPool::GridPool()
{
    // The record of a row without any text, shared by every such row, then the slack.
    m_bytes.fill('\0', 1 + kSlack);
}

QByteArrayView GridPool::cell(quint32 start, int col) const
{
    QByteArrayView found[8];
    if (col < 0)
        return {};
    if (col < 8)
        return col < cells(start, found, 8) ? found[col] : QByteArrayView();
    std::vector<QByteArrayView> all(size_t(col) + 1);
    return col < cells(start, all.data(), col + 1) ? all[size_t(col)] : QByteArrayView();
}

quint32 GridPool::keptOnce(QByteArrayView text)
{
    const auto known = m_keptOnce.constFind(QByteArray::fromRawData(text.data(), text.size()));
    if (known != m_keptOnce.constEnd())
        return *known;
    const qsizetype at = size();
    m_bytes.insert(at, text.data(), text.size());
    m_keptOnce.insert(text.toByteArray(), quint32(at));
    return quint32(at);
}

quint32 GridPool::write(const QByteArrayView *cells, int count, quint32 shared)
{
    qsizetype bytes = 0;
    bool inPool = false;
    const char *first = m_bytes.constData();
    for (int i = 0; i < count; ++i) {
        bytes += cells[i].size();
        inPool = inPool || (cells[i].data() >= first && cells[i].data() < first + m_bytes.size());
    }
    if (bytes == 0)
        return 0;
    if (inPool) {
        // Growing the pool may move it: such cells are copied out first.
        std::vector<QByteArray> copies;
        for (int i = 0; i < count; ++i)
            copies.push_back(cells[i].toByteArray());
        const std::vector<QByteArrayView> views(copies.begin(), copies.end());
        return write(views.data(), count, shared);
    }
    // Texts kept once are placed first: they go before the record.
    std::vector<quint32> places(size_t(count), 0);
    for (int i = 0; i < count; ++i)
        if ((shared >> i & 1) && cells[i].size() > qsizetype(sizeof(quint32)))
            places[size_t(i)] = keptOnce(cells[i]) | 0x80000000u;
    const qsizetype at = size();
    // The record's room at once: lengths take at most five bytes each.
    const qsizetype most = at + bytes + 5 * (count + 1);
    if (most + kSlack > qsizetype(std::numeric_limits<quint32>::max() / 2))
        throw std::length_error("GridPool: more text than a grid holds");
    m_bytes.resize(most + kSlack);
    char *p = m_bytes.data() + at;
    putNumber(p, quint32(count));
    for (int i = 0; i < count; ++i)
        putNumber(p, quint32(cells[i].size()) << 1 | (places[size_t(i)] ? kKeptOnce : 0));
    for (int i = 0; i < count; ++i) {
        if (places[size_t(i)]) {
            const quint32 place = places[size_t(i)] & 0x7fffffffu;
            std::memcpy(p, &place, sizeof place);
            p += sizeof place;
        } else if (!cells[i].isEmpty()) {
            // An empty view may hold no pointer at all, which memcpy must not get.
            std::memcpy(p, cells[i].data(), size_t(cells[i].size()));
            p += cells[i].size();
        }
    }
    std::memset(p, 0, size_t(kSlack));
    m_bytes.truncate(p - m_bytes.constData() + kSlack);
    return quint32(at);
}
