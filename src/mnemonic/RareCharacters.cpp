#include "RareCharacters.h"

#include "Cp936.h"
#include "RareLetters.h"

#include <QByteArray>

#include <array>
#include <stdexcept>

namespace {

constexpr int kNotListed = -1;

struct RareIndex
{
    QString characters;
    // Position in the list by (lead - D8) * 94 + (trail - A1); kNotListed for the missing ones.
    std::array<int, kRareRowCount * kRareRowLength> positionByCode{};
};

RareIndex buildIndex()
{
    RareIndex index;
    QByteArray codes;
    codes.reserve(kRareRowCount * kRareRowLength * 2);
    int position = 0;
    for (size_t row = 0; row < kRareRowCount; ++row) {
        for (size_t column = 0; column < kRareRowLength; ++column) {
            const size_t slot = row * kRareRowLength + column;
            if (kRareLetterRows[row][column] == kRareMissing) {
                index.positionByCode[slot] = kNotListed;
                continue;
            }
            codes.append(char(kRareFirstLead + row)).append(char(kRareFirstTrail + column));
            index.positionByCode[slot] = position++;
        }
    }
    index.characters = fromCp936(codes);
    // Every level-2 character is one UTF-16 unit; anything else would shift the positions.
    if (index.characters.size() != position)
        throw std::runtime_error("CP936 decodes the GB2312 level-2 characters unexpectedly");
    return index;
}

const RareIndex &rareIndex()
{
    static const RareIndex index = buildIndex();
    return index;
}

} // namespace

const QString &rareCharacterList()
{
    return rareIndex().characters;
}

char rareLetter(char32_t ch, unsigned code)
{
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    if (lead < kRareFirstLead || lead >= kRareFirstLead + kRareRowCount ||
        trail < kRareFirstTrail || trail >= kRareFirstTrail + kRareRowLength)
        return 0;

    const RareIndex &index = rareIndex();
    const int position =
        index.positionByCode[(lead - kRareFirstLead) * kRareRowLength + trail - kRareFirstTrail];
    // Level-2 characters and their codes correspond one to one, so the character at the code's
    // position is ch's only occurrence in the list, if ch is listed at all.
    if (position == kNotListed || index.characters.at(position).unicode() != ch)
        return 0;
    return rareLetterList().at(position).toLatin1();
}
