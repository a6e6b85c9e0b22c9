#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Appends the mnemonic code of one line of UTF-8 to out, in UTF-8, straight from the bytes: the
// letter of a character that has one, the character's own bytes otherwise, with no detour through
// UTF-16. Answers false, leaving out as it was, when the line is not well-formed UTF-8: what a
// broken sequence stands for is the lenient decoder's to say.
bool AppendUtf8Mnemonic(QByteArrayView line, QByteArray &out);
