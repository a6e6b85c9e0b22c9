#pragma once

#include <QByteArray>
#include <QString>

#include <mutex>

// Characters to and from their code in code page 936 (GBK), and text in GB 18030, through glibc
// iconv.

// The code of a character the code page cannot encode: that of "?".
inline constexpr unsigned kCp936Unencodable = 0x3F;

// Gives access to the process's one encoding descriptor and holds its lock while alive, so a
// caller converting a whole text takes the lock once rather than once per character.
class Cp936Encoder final
{
public:
    Cp936Encoder();

    // The character's encoding read as one unsigned number: lead * 256 + trail for two bytes,
    // the byte itself for one; kCp936Unencodable when the code page has no such character.
    unsigned codeOf(char32_t ch);

private:
    std::unique_lock<std::mutex> m_lock;
};

// Decodes bytes in code page 936; an empty string when they are not valid there.
QString fromCp936(const QByteArray &bytes);
// Decodes bytes in GB 18030 (a superset of code page 936, what spreadsheet programs here save
// text files in); an empty string when they are not valid there.
QString fromGb18030(const QByteArray &bytes);
