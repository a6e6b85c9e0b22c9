#include "PerfRounds.h"

#include <algorithm>

PerfRounds MeasureRounds(int rounds, const std::function<double()> &raw,
                         const std::function<double()> &action)
{
    PerfRounds taken;
    for (int i = 0; i < rounds; ++i) {
        taken.between.push_back(raw());
        taken.values.push_back(action());
    }
    raw();
    for (int i = 0; i < rounds; ++i)
        taken.warm.push_back(raw());
    return taken;
}

Spread SpreadOf(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}
