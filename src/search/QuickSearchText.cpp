#include "QuickSearchText.h"

#include <QtAlgorithms>

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace QuickSearchText {

void decodeUtf8(QByteArrayView in, QString &out)
{
    out.resize(in.size()); // never more units than bytes
    char16_t *to = reinterpret_cast<char16_t *>(out.data());
    const auto *p = reinterpret_cast<const quint8 *>(in.data());
    const quint8 *end = p + in.size();
    const auto continuation = [&](qsizetype k) { return p + k < end && (p[k] & 0xC0) == 0x80; };
    while (p < end) {
        const quint8 b = *p;
        if (b < 0x80) {
            *to++ = b;
            ++p;
        } else if (b >= 0xC2 && b < 0xE0 && continuation(1)) {
            *to++ = char16_t((b & 0x1F) << 6 | (p[1] & 0x3F));
            p += 2;
        } else if (b >= 0xE0 && b < 0xF0 && continuation(1) && continuation(2)) {
            const char32_t u = (b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
            *to++ = u >= 0x800 ? char16_t(u) : char16_t(QChar::ReplacementCharacter);
            p += 3;
        } else if (b >= 0xF0 && b < 0xF5 && continuation(1) && continuation(2) && continuation(3)) {
            const char32_t u =
                (b & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
            if (u >= 0x10000 && u <= 0x10FFFF) {
                *to++ = QChar::highSurrogate(u);
                *to++ = QChar::lowSurrogate(u);
            } else {
                *to++ = QChar::ReplacementCharacter;
            }
            p += 4;
        } else {
            *to++ = QChar::ReplacementCharacter;
            ++p;
        }
    }
    out.truncate(to - reinterpret_cast<const char16_t *>(out.constData()));
}

QByteArray folded(QByteArrayView text)
{
    QByteArray result(text.data(), text.size());
    std::transform(result.begin(), result.end(), result.begin(), lower);
    return result;
}

bool hasAsciiLetter(QByteArrayView text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return lower(c) >= 'a' && lower(c) <= 'z'; });
}

bool startsWith(QByteArrayView text, QByteArrayView folded)
{
    if (text.size() < folded.size())
        return false;
    for (qsizetype i = 0; i < folded.size(); ++i)
        if (lower(text[i]) != folded[i])
            return false;
    return true;
}

namespace {

bool asciiLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

} // namespace

// Candidates sixteen at a time: where the first and the last byte of the text sought stand at the
// right distance, the case of a letter ignored by setting bit 0x20 on both sides; each candidate is
// then compared whole. The loads may reach past the text's end into the pool's slack, never past
// it: a text sought is compared this way only when short enough.
qsizetype indexOf(QByteArrayView text, QByteArrayView folded, bool exact, bool padded)
{
    const qsizetype m = folded.size();
    if (m == 0)
        return 0;
    const qsizetype last = text.size() - m;
    if (last < 0)
        return -1;
#ifdef __SSE2__
    if (padded && m <= kLongest) {
        const char first = folded[0];
        const char end = folded[m - 1];
        const __m128i firstWanted = _mm_set1_epi8(first);
        const __m128i endWanted = _mm_set1_epi8(end);
        const __m128i firstFold = _mm_set1_epi8(asciiLetter(first) ? 0x20 : 0);
        const __m128i endFold = _mm_set1_epi8(asciiLetter(end) ? 0x20 : 0);
        for (qsizetype i = 0; i <= last; i += 16) {
            const auto *at = reinterpret_cast<const __m128i *>(text.data() + i);
            const __m128i a = _mm_or_si128(_mm_loadu_si128(at), firstFold);
            const __m128i b = _mm_or_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + i + m - 1)),
                endFold);
            auto bits = unsigned(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(a, firstWanted), _mm_cmpeq_epi8(b, endWanted))));
            if (last - i < 15)
                bits &= (1u << (last - i + 1)) - 1;
            for (; bits != 0; bits &= bits - 1) {
                const qsizetype k = i + qCountTrailingZeroBits(bits);
                if (exact ? std::memcmp(text.data() + k, folded.data(), size_t(m)) == 0
                          : startsWith(text.sliced(k), folded))
                    return k;
            }
        }
        return -1;
    }
#endif
    for (qsizetype i = 0; i <= last; ++i)
        if (exact ? std::memcmp(text.data() + i, folded.data(), size_t(m)) == 0
                  : startsWith(text.sliced(i), folded))
            return i;
    return -1;
}

} // namespace QuickSearchText
