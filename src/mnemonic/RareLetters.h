#pragma once

#include <QString>

#include <array>
#include <string_view>

// Initial letters of the GB2312 level-2 characters (lead bytes D8 to F7, trail bytes A1 to FE),
// which unlike level 1 are ordered by radical, so each needs its own letter.

inline constexpr unsigned kRareFirstLead = 0xD8;
inline constexpr unsigned kRareFirstTrail = 0xA1;
inline constexpr size_t kRareRowCount = 32;
inline constexpr size_t kRareRowLength = 94;
// Marks the two characters (F1C8 and F1E1) that have no letter and are left as they are.
inline constexpr char kRareMissing = '-';

// One row per lead byte: the letters for trail bytes A1 to FE, in order.
extern const std::array<std::string_view, kRareRowCount> kRareLetterRows;

// The rows joined without the missing marks: 3,006 letters parallel to rareCharacterList().
const QString &rareLetterList();
