#pragma once

#include <QString>

// The GB2312 level-2 characters that have a letter in rareLetterList(), in code order: 3,006
// characters parallel to those letters. Generated from the code page once, on first use.
const QString &rareCharacterList();

// The letter of ch at its position in the rare-character list, or 0 when ch is not in the list.
// code is ch's code page 936 code; it locates the position without searching the list.
char rareLetter(char32_t ch, unsigned code);
