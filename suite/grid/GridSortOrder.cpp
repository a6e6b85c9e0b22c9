#include "GridSortOrder.h"

#include <QLocale>

namespace {

bool isAscii(const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

GridSortOrder::GridSortOrder()
    : m_collator(QLocale(QLocale::Chinese, QLocale::China))
{
}

bool GridSortOrder::operator()(const QString &a, const QString &b) const
{
    const bool asciiA = isAscii(a);
    const bool asciiB = isAscii(b);
    if (asciiA != asciiB)
        return asciiA;
    if (asciiA)
        return a < b;
    return m_collator.compare(a, b) < 0;
}
