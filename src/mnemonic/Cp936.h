#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <mutex>
#include <vector>

// Characters to and from their code in code page 936 (GBK), and text in GB 18030, through glibc
// iconv.

// The code of a character the code page cannot encode: that of "?".
inline constexpr unsigned kCp936Unencodable = 0x3F;

// Gives access to the process's one encoding descriptor and holds its lock while alive, so a
// caller converting many texts takes the lock once rather than once per text.
class Cp936Encoder final
{
public:
    Cp936Encoder();

    // The codes of the characters of text, in order, one a character (a surrogate pair is one),
    // from one conversion of the whole text: each character's encoding read as one unsigned
    // number, lead * 256 + trail for two bytes, the byte itself for one; kCp936Unencodable when
    // the code page has no such character. Valid until the next call.
    const std::vector<unsigned> &codesOf(QStringView text);
    // The same for one character.
    unsigned codeOf(char32_t ch);

private:
    // Reads the characters' codes out of the bytes converted so far.
    void takeConverted(const char *end);

    std::unique_lock<std::mutex> m_lock;
    std::vector<unsigned> m_codes;
    QByteArray m_bytes;
};

// Decodes bytes in code page 936; an empty string when they are not valid there.
QString fromCp936(const QByteArray &bytes);
// Decodes bytes in GB 18030 (a superset of code page 936, what spreadsheet programs here save
// text files in); an empty string when they are not valid there.
QString fromGb18030(const QByteArray &bytes);
