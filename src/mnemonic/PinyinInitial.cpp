#include "PinyinInitial.h"

#include "Cp936.h"
#include "Level1Ranges.h"
#include "RareCharacters.h"

namespace {

// The rules in order, the first that applies deciding; code is the character's in code page 936.
char32_t initialOf(char32_t ch, unsigned code)
{
    if (const char letter = level1Letter(code))
        return letter;
    if (code >= 'A' && code <= '[')
        return ch;
    if (code >= 'a' && code <= '{')
        return code == '{' ? ch : ch - 'a' + 'A';
    if (const char letter = rareLetter(ch, code))
        return letter;
    return ch;
}

// The character starting at text[i] and the number of UTF-16 units it takes; a lone surrogate
// stands for itself.
std::pair<char32_t, qsizetype> characterAt(QStringView text, qsizetype i)
{
    const QChar first = text[i];
    if (first.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(first, text[i + 1]), 2};
    return {first.unicode(), 1};
}

void appendCharacter(QString &out, char32_t ch)
{
    if (QChar::requiresSurrogates(ch))
        out.append(QChar(QChar::highSurrogate(ch))).append(QChar(QChar::lowSurrogate(ch)));
    else
        out.append(QChar(char16_t(ch)));
}

} // namespace

void AppendMnemonic(QStringView text, Cp936Encoder &encoder, QString &out)
{
    qsizetype i = 0;
    for (const unsigned code : encoder.codesOf(text)) {
        const auto [ch, units] = characterAt(text, i);
        appendCharacter(out, initialOf(ch, code));
        i += units;
    }
}

QString PinyinInitial(const QString &ch)
{
    if (ch.isEmpty())
        return {};
    const qsizetype units = characterAt(ch, 0).second;
    QString initial;
    Cp936Encoder encoder;
    AppendMnemonic(QStringView(ch).first(units), encoder, initial);
    return initial;
}

QString MnemonicOf(const QString &text)
{
    QString mnemonic;
    mnemonic.reserve(text.size());
    Cp936Encoder encoder;
    AppendMnemonic(text, encoder, mnemonic);
    return mnemonic;
}
