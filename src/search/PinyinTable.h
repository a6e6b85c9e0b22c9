#pragma once

#include <cstddef>
#include <cstdint>

// The polyphone table, made at build time from the pinyin dictionary by
// scripts/make-pinyin-table.mjs (see README.md for the dictionary and its licence).
namespace PinyinTable {

// Per character from kFirstCharacter on: bit k set when a common reading of the character begins
// with the letter 'A' + k, 0 when the dictionary has no reading for it; kInWords set when some
// word of kPhrases reads the character otherwise than its common readings alone would tell.
extern const char32_t kFirstCharacter;
extern const std::size_t kCharacterCount;
extern const std::uint32_t kCharacterInitials[];
inline constexpr std::uint32_t kInWords = 0x80000000u;

// Words of at most kLongestPhrase characters with the initials they are read with, in UTF-8, one
// "word\tINITIALS\n" per line.
extern const std::size_t kLongestPhrase;
extern const char kPhrases[];

} // namespace PinyinTable
