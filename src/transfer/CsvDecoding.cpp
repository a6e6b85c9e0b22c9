#include "CsvDecoding.h"

#include "Cp936.h"

#include <QStringDecoder>

namespace {

bool validUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes); // decoding happens only when it is taken
    return !utf8.hasError();
}

bool ascii(QByteArrayView bytes)
{
    for (const char byte : bytes) {
        if (byte & 0x80)
            return false;
    }
    return true;
}

// Calls take(line number, the line, its line end) for each line, counted as the CSV reader counts
// them (CR LF, LF or CR). A byte below 0x80 is never part of a GB 18030 character, so the line
// breaks are where they seem.
template <typename Take>
void forEachLine(QByteArrayView bytes, Take take)
{
    long line = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        const qsizetype end =
            bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? i + 2 : i + 1;
        take(line++, bytes.sliced(start, i - start), bytes.sliced(i, end - i));
        start = end;
        i = end - 1;
    }
    if (start < bytes.size())
        take(line, bytes.sliced(start), QByteArrayView());
}

// The lines of a GB 18030 file that read as UTF-8 instead.
QSet<long> utf8Lines(QByteArrayView bytes)
{
    QSet<long> lines;
    forEachLine(bytes, [&](long line, QByteArrayView text, QByteArrayView) {
        if (!ascii(text) && validUtf8(text))
            lines.insert(line);
    });
    return lines;
}

// A file that is not GB 18030 throughout, read line by line: a line in UTF-8 is kept apart (and
// named), a line that reads as neither holds replacement characters, which no row may hold. A file
// of which no line reads as GB 18030 is no text of ours at all.
CsvText byLine(QByteArrayView bytes)
{
    CsvText csv{QString(), QStringLiteral("GB18030"), {}};
    bool someGb18030 = false;
    forEachLine(bytes, [&](long line, QByteArrayView text, QByteArrayView end) {
        if (ascii(text)) {
            csv.text += QString::fromLatin1(text);
        } else if (validUtf8(text)) {
            csv.text += QString::fromUtf8(text);
            csv.foreignLines.insert(line);
        } else {
            const QString decoded = fromGb18030(text.toByteArray());
            someGb18030 = someGb18030 || !decoded.isEmpty();
            csv.text +=
                decoded.isEmpty() ? QString(text.size(), QChar::ReplacementCharacter) : decoded;
        }
        csv.text += QString::fromLatin1(end);
    });
    return someGb18030 ? csv : CsvText();
}

} // namespace

CsvText DecodeCsv(const QByteArray &bytes)
{
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return {text, QStringLiteral("UTF-8"), {}};
    text = fromGb18030(bytes);
    if (!text.isEmpty())
        return {text, QStringLiteral("GB18030"), utf8Lines(bytes)};
    return byLine(bytes);
}
