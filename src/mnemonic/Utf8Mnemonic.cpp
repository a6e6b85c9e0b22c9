#include "Utf8Mnemonic.h"

#include "InitialTable.h"

#include <cstring>

namespace {

// What a lead byte starts: the sequence's length and the range its second byte must lie in, which
// shuts out overlong forms, surrogates and code points beyond U+10FFFF. Length 0: no lead byte.
struct Lead
{
    int length;
    unsigned char low;
    unsigned char high;
};

Lead leadOf(unsigned char byte)
{
    if (byte >= 0xC2 && byte <= 0xDF)
        return {2, 0x80, 0xBF};
    if (byte == 0xE0)
        return {3, 0xA0, 0xBF};
    if (byte == 0xED)
        return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {3, 0x80, 0xBF};
    if (byte == 0xF0)
        return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {4, 0x80, 0xBF};
    if (byte == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// The length of the well-formed sequence at s, 0 when there is none.
int sequenceLength(const unsigned char *s, const unsigned char *end)
{
    const Lead lead = leadOf(s[0]);
    if (lead.length == 0 || end - s < lead.length || s[1] < lead.low || s[1] > lead.high)
        return 0;
    for (int i = 2; i < lead.length; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0;
    }
    return lead.length;
}

// The UTF-16 unit of a well-formed sequence of one to three bytes.
char16_t unitOf(const unsigned char *s, int length)
{
    switch (length) {
    case 1:
        return s[0];
    case 2:
        return char16_t(((s[0] & 0x1F) << 6) | (s[1] & 0x3F));
    default:
        return char16_t(((s[0] & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
    }
}

} // namespace

bool AppendUtf8Mnemonic(QByteArrayView line, QByteArray &out)
{
    const InitialLetters &letters = initialLetters();
    const qsizetype start = out.size();
    // A piece never takes more bytes than its character.
    out.resize(start + line.size());
    char *to = out.data() + start;
    const auto *byte = reinterpret_cast<const unsigned char *>(line.data());
    const auto *end = byte + line.size();
    while (byte < end) {
        const int length = *byte < 0x80 ? 1 : sequenceLength(byte, end);
        if (length == 0) {
            out.truncate(start);
            return false;
        }
        // Beyond the plane (four bytes) every character is its own piece.
        const char letter = length < 4 ? letters[unitOf(byte, length)] : 0;
        if (letter) {
            *to++ = letter;
        } else {
            std::memcpy(to, byte, size_t(length));
            to += length;
        }
        byte += length;
    }
    out.truncate(to - out.constData());
    return true;
}
