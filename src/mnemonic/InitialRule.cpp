#include "InitialRule.h"

#include "Level1Ranges.h"
#include "RareCharacters.h"

char32_t initialOfCode(char32_t ch, unsigned code)
{
    if (const char letter = level1Letter(code))
        return letter;
    if (code >= 'A' && code <= '[')
        return ch;
    if (code >= 'a' && code <= '{')
        return code == '{' ? ch : ch - 'a' + 'A';
    if (const char letter = rareLetter(ch, code))
        return letter;
    return ch;
}
