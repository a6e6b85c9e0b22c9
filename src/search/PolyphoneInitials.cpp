#include "PolyphoneInitials.h"

#include "PinyinTable.h"

#include <QHash>
#include <QString>
#include <QVarLengthArray>

#include <bitset>

namespace {

// The dictionary's words, read once from the table: their texts one after another, and beside
// each unit the letter the word reads it with.
struct Phrases
{
    QString words;
    QByteArray initials;
    QHash<QStringView, qsizetype> offsets; // word -> where it starts in words and initials
    // A bit for each pair of first units some word begins with (pairs may share a bit): most
    // places of a text begin no word, and this tells so without a look-up.
    std::bitset<1 << 16> starts;
};

size_t startBit(QChar first, QChar second)
{
    const quint32 pair = quint32(first.unicode()) << 16 | second.unicode();
    return (pair * 2654435761u) >> 16;
}

Phrases loadPhrases()
{
    Phrases phrases;
    QVector<QPair<qsizetype, qsizetype>> spans;
    const QString table = QString::fromUtf8(PinyinTable::kPhrases);
    for (QStringView line : QStringView(table).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(u'\t');
        const QStringView word = line.left(tab);
        spans.append({phrases.words.size(), word.size()});
        phrases.words.append(word);
        phrases.initials.append(line.mid(tab + 1).toLatin1());
    }
    // The views go into the finished text, which never changes again.
    for (const auto &[offset, length] : spans) {
        const QStringView word = QStringView(phrases.words).mid(offset, length);
        phrases.offsets.insert(word, offset);
        if (word.size() >= 2)
            phrases.starts.set(startBit(word[0], word[1]));
    }
    return phrases;
}

const Phrases &phrases()
{
    static const Phrases loaded = loadPhrases();
    return loaded;
}

quint32 characterMask(QChar unit)
{
    const char32_t code = unit.unicode();
    if (code < PinyinTable::kFirstCharacter ||
        code - PinyinTable::kFirstCharacter >= PinyinTable::kCharacterCount)
        return 0;
    return PinyinTable::kCharacterInitials[code - PinyinTable::kFirstCharacter];
}

} // namespace

void PolyphoneInitials(QStringView text, std::vector<quint32> &masks)
{
    const qsizetype n = text.size();
    masks.assign(size_t(n), 0);
    // Where the next unit stands that some word reads otherwise (n: none): only the words around
    // such units are looked up.
    QVarLengthArray<qsizetype, 64> nextInWords(n + 1);
    nextInWords[n] = n;
    for (qsizetype i = n - 1; i >= 0; --i) {
        const quint32 mask = characterMask(text[i]);
        masks[size_t(i)] = mask & ~PinyinTable::kInWords;
        nextInWords[i] = (mask & PinyinTable::kInWords) ? i : nextInWords[i + 1];
    }
    if (nextInWords[0] == n)
        return;
    // Every word found gives its letters; a unit inside words takes theirs instead of its own.
    const Phrases &table = phrases();
    QVarLengthArray<quint32, 64> fromWords(n, 0);
    const qsizetype longest = qsizetype(PinyinTable::kLongestPhrase);
    for (qsizetype start = 0; start + 1 < n && nextInWords[start] < n; ++start) {
        if (!table.starts.test(startBit(text[start], text[start + 1])))
            continue;
        for (qsizetype length = 2; length <= longest && start + length <= n; ++length) {
            if (nextInWords[start] >= start + length)
                continue;
            const auto found = table.offsets.constFind(text.mid(start, length));
            if (found == table.offsets.constEnd())
                continue;
            for (qsizetype j = 0; j < length; ++j)
                fromWords[start + j] |= 1u << (table.initials.at(*found + j) - 'A');
        }
    }
    for (qsizetype i = 0; i < n; ++i) {
        if (fromWords[i])
            masks[size_t(i)] = fromWords[i];
    }
}
