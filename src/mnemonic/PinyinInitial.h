#pragma once

#include <QString>
#include <QStringView>

// The mnemonic piece of one character: the initial of its pinyin reading for a Chinese character,
// the capital for a Latin letter, the character itself otherwise. Only the first character of ch
// counts (a surrogate pair is one character); the result is exactly one character, empty only
// when ch is empty.
QString PinyinInitial(const QString &ch);

// The mnemonic code of a summary text: PinyinInitial of each of its characters, in order.
QString MnemonicOf(const QString &text);

// Appends the mnemonic code of text to out, for callers converting many texts into one buffer.
void AppendMnemonic(QStringView text, QString &out);
