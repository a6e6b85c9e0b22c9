#pragma once

#include <functional>
#include <vector>

// How a figure is taken: in rounds. Before each round of the action, the engine's own statement
// runs once, so that it meets the engine as the action does, with the caches as the window's work
// left them; after the rounds, the statement runs once unrecorded and then round after round,
// warm.
struct PerfRounds
{
    std::vector<double> values;
    std::vector<double> between;
    std::vector<double> warm;
};

PerfRounds MeasureRounds(int rounds, const std::function<double()> &raw,
                         const std::function<double()> &action);

struct Spread
{
    double min = 0;
    double median = 0;
    double max = 0;
};

// The smallest, the middle and the largest of the values; all 0 when there are none.
Spread SpreadOf(std::vector<double> values);
