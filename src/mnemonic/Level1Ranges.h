#pragma once

// The GB2312 level-1 characters (codes B0A1 to D7F9) are ordered by pinyin, so contiguous code
// ranges share one initial letter.

// The initial letter of the level-1 range holding the code page 936 code, or 0 when no range
// holds it. Any code inside a range counts, also a GBK extension character between two level-1
// codes.
char level1Letter(unsigned code);
