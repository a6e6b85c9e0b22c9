#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

// The quick search's texts in UTF-8, as the grid's pool holds them: decoding, and comparing with
// the case of ASCII letters ignored.
namespace QuickSearchText {

// Initials bytes: 0x80 + i stands for letter set i; kEndOfText ends a text's initials.
constexpr quint8 kFirstSet = 0x80;
constexpr int kMaxSets = 0x7f;
constexpr quint8 kEndOfText = 0xff;

// UTF-8 into UTF-16, the common case at its own speed; a broken sequence gives U+FFFD, as Qt's
// decoder does.
void decodeUtf8(QByteArrayView in, QString &out);

inline char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// text with its ASCII letters in lower case.
QByteArray folded(QByteArrayView text);
bool hasAsciiLetter(QByteArrayView text);

// Whether text starts with folded (a text already folded), ASCII letters in either case.
bool startsWith(QByteArrayView text, QByteArrayView folded);
// Where folded first stands in text, ASCII letters in either case; -1 nowhere. exact: folded has
// no letters, so that bytes compare as they are. padded: text lies in a GridPool, whose slack
// may be read past its end when the text sought is at most kLongest bytes.
constexpr qsizetype kLongest = 16;
qsizetype indexOf(QByteArrayView text, QByteArrayView folded, bool exact, bool padded);

} // namespace QuickSearchText
