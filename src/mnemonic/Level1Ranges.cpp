#include "Level1Ranges.h"

#include <algorithm>
#include <array>

namespace {

struct Range
{
    char letter;
    unsigned first;
    unsigned last;
};

// No level-1 reading begins with I, U or V.
constexpr std::array<Range, 23> kRanges{{
    {'A', 0xB0A1, 0xB0C4}, {'B', 0xB0C5, 0xB2C0}, {'C', 0xB2C1, 0xB4ED}, {'D', 0xB4EE, 0xB6E9},
    {'E', 0xB6EA, 0xB7A1}, {'F', 0xB7A2, 0xB8C0}, {'G', 0xB8C1, 0xB9FD}, {'H', 0xB9FE, 0xBBF6},
    {'J', 0xBBF7, 0xBFA5}, {'K', 0xBFA6, 0xC0AB}, {'L', 0xC0AC, 0xC2E7}, {'M', 0xC2E8, 0xC4C2},
    {'N', 0xC4C3, 0xC5B5}, {'O', 0xC5B6, 0xC5BD}, {'P', 0xC5BE, 0xC6D9}, {'Q', 0xC6DA, 0xC8BA},
    {'R', 0xC8BB, 0xC8F5}, {'S', 0xC8F6, 0xCBF9}, {'T', 0xCBFA, 0xCDD9}, {'W', 0xCDDA, 0xCEF3},
    {'X', 0xCEF4, 0xD1B8}, {'Y', 0xD1B9, 0xD4D0}, {'Z', 0xD4D1, 0xD7F9},
}};

// Each range starts right after the one before, which the search below relies on.
static_assert([] {
    for (size_t i = 1; i < kRanges.size(); ++i) {
        if (kRanges[i].first != kRanges[i - 1].last + 1)
            return false;
    }
    return true;
}());

} // namespace

char level1Letter(unsigned code)
{
    // The first range that does not end before the code is the only one that can hold it.
    const auto range = std::lower_bound(kRanges.begin(), kRanges.end(), code,
                                        [](const Range &r, unsigned c) { return r.last < c; });
    return range != kRanges.end() && range->first <= code ? range->letter : 0;
}
