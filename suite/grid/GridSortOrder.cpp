#include "GridSortOrder.h"

#include "GridRows.h"

#include <QLocale>

#include <algorithm>

namespace {

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return quint8(c) < 0x80; });
}

} // namespace

GridSortOrder::GridSortOrder()
    : m_collator(QLocale(QLocale::Chinese, QLocale::China))
{
}

std::vector<long> GridSortOrder::sorted(const GridRows &rows, long first, long last, long col) const
{
    std::vector<std::pair<QByteArrayView, long>> ascii;
    std::vector<std::pair<QCollatorSortKey, long>> other;
    for (long row = first; row <= last; ++row) {
        const QByteArrayView text = rows.cellUtf8(row, col);
        if (isAscii(text))
            ascii.emplace_back(text, row);
        else
            other.emplace_back(m_collator.sortKey(QString::fromUtf8(text)), row);
    }
    // ASCII in UTF-8 compares byte by byte as its character codes do.
    std::stable_sort(ascii.begin(), ascii.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    std::stable_sort(other.begin(), other.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    std::vector<long> order;
    order.reserve(ascii.size() + other.size());
    for (const auto &entry : ascii)
        order.push_back(entry.second);
    for (const auto &entry : other)
        order.push_back(entry.second);
    return order;
}
