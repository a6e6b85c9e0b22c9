#pragma once

#include <QStringList>

#include <vector>

// How the benchmark's tables write figures and lay out columns.

// One figure with its unit: "0.123 ms", "237 B", "12.35 M/s" (lines a second in millions).
QString FormatAmount(double value, const QString &unit);
// The rounds of a figure as "min/median/max unit", or the one value there is.
QString FormatSpread(const std::vector<double> &values, const QString &unit);
// The cells padded to their columns' widths (a Chinese character takes two), trailing blanks cut.
QString TableLine(const QStringList &cells, const std::vector<int> &widths);
// The heading line and a rule under it.
QString TableHead(const QStringList &heads, const std::vector<int> &widths);
