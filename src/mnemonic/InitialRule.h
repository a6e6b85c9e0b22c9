#pragma once

// The mnemonic piece of one character from its code in code page 936, by the rules in order, the
// first that applies deciding: the letter of its level-1 range, a Latin letter as a capital, the
// letter of a level-2 character, else the character itself. code is kCp936Unencodable for a
// character the code page lacks.
char32_t initialOfCode(char32_t ch, unsigned code);
