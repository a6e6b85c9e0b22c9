#include "CsvDecoding.h"

#include "Cp936.h"

#include <QStringDecoder>

CsvText DecodeCsv(const QByteArray &bytes)
{
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return {text, QStringLiteral("UTF-8")};
    text = fromGb18030(bytes);
    if (text.isEmpty())
        return {};
    return {text, QStringLiteral("GB18030")};
}
