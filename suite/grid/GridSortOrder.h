#pragma once

#include <QCollator>
#include <QString>

// The order the grid sorts a column in: texts of ASCII characters alone first, in character-code
// order, so that codes keep their natural order; then every other text in Chinese pinyin order
// (a zh_CN collator: 阿里, 报销, 发放, 其他, 中国).
class GridSortOrder final
{
public:
    GridSortOrder();
    bool operator()(const QString &a, const QString &b) const;

private:
    QCollator m_collator;
};
