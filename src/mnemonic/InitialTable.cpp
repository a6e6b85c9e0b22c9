#include "InitialTable.h"

#include "Cp936.h"
#include "InitialRule.h"

#include <QChar>

namespace {

// A conversion a character: in one conversion of the whole plane, each of the characters the code
// page lacks would make iconv start again and cost far more.
InitialLetters buildLetters()
{
    InitialLetters letters{};
    Cp936Encoder encoder;
    for (char32_t unit = 0; unit < 0x10000; ++unit) {
        if (QChar::isSurrogate(unit))
            continue;
        const char32_t initial = initialOfCode(unit, encoder.codeOf(unit));
        if (initial != unit)
            letters[unit] = char(initial);
    }
    return letters;
}

} // namespace

const InitialLetters &initialLetters()
{
    static const InitialLetters letters = buildLetters();
    return letters;
}
