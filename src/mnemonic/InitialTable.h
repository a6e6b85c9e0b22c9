#pragma once

#include <array>

// The mnemonic letter of every UTF-16 unit, worked out once for the whole Basic Multilingual Plane
// through the code page, so that a text costs one look-up a character rather than a conversion.
// 0 where the character is its own piece: digits, capitals, symbols, what the code page lacks, and
// the surrogates, since the code page has no character beyond the plane.
using InitialLetters = std::array<char, 0x10000>;

const InitialLetters &initialLetters();
