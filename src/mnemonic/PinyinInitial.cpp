#include "PinyinInitial.h"

#include "InitialTable.h"

void AppendMnemonic(QStringView text, QString &out)
{
    const InitialLetters &letters = initialLetters();
    const qsizetype start = out.size();
    out.resize(start + text.size());
    QChar *to = out.data() + start;
    // A piece is one unit for one unit: a letter, or the unit itself, surrogates included.
    for (const QChar unit : text) {
        const char letter = letters[unit.unicode()];
        *to++ = letter ? QChar(QLatin1Char(letter)) : unit;
    }
}

QString PinyinInitial(const QString &ch)
{
    if (ch.isEmpty())
        return {};
    const bool pair = ch.size() > 1 && ch.at(0).isHighSurrogate() && ch.at(1).isLowSurrogate();
    QString initial;
    AppendMnemonic(QStringView(ch).first(pair ? 2 : 1), initial);
    return initial;
}

QString MnemonicOf(const QString &text)
{
    QString mnemonic;
    AppendMnemonic(text, mnemonic);
    return mnemonic;
}
