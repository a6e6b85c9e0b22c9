#pragma once

#include <QCollator>

#include <vector>

class GridRows;

// The order the grid sorts a column in: texts of ASCII characters alone first, in character-code
// order, so that codes keep their natural order; then every other text in Chinese pinyin order
// (a zh_CN collator: 阿里, 报销, 发放, 其他, 中国). Equal texts keep their order.
class GridSortOrder final
{
public:
    GridSortOrder();
    // The rows first .. last in this order of column col's texts: the row that comes to each
    // place, from the first. Each text's collation key is made once, so a large grid costs one key
    // per row and byte comparisons, not a collation per comparison.
    std::vector<long> sorted(const GridRows &rows, long first, long last, long col) const;

private:
    QCollator m_collator;
};
