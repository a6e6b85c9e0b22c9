#include "SheetNumberFormats.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cmath>

namespace {

// The built-in formats with a code of zeros, by id.
QString builtinCode(int id)
{
    switch (id) {
    case 1:
        return QStringLiteral("0");
    case 2:
        return QStringLiteral("0.00");
    default:
        return {};
    }
}

QString general(double number)
{
    if (std::abs(number) < 1e15 && number == std::trunc(number))
        return QString::number(qint64(number));
    return QString::number(number, 'g', 15).toUpper();
}

} // namespace

void SheetNumberFormats::read(QIODevice &styles)
{
    QXmlStreamReader xml(&styles);
    bool inCellFormats = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs"))
            inCellFormats = false;
        if (!xml.isStartElement())
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == QLatin1String("numFmt")) {
            m_codes.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                           attributes.value(QLatin1String("formatCode")).toString());
        } else if (xml.name() == QLatin1String("cellXfs")) {
            inCellFormats = true;
        } else if (inCellFormats && xml.name() == QLatin1String("xf")) {
            m_cellFormats.append(attributes.value(QLatin1String("numFmtId")).toInt());
        }
    }
}

QString SheetNumberFormats::shown(const QString &value, int style) const
{
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (!isNumber)
        return value;
    const int id = m_cellFormats.value(style, 0);
    const QString code = m_codes.value(id, builtinCode(id));
    static const QRegularExpression zeros(QStringLiteral("^(0+)(?:\\.(0+))?$"));
    const auto match = zeros.match(code);
    if (!match.hasMatch())
        return general(number);
    const qsizetype decimals = match.capturedLength(2);
    QString text = QString::number(std::abs(number), 'f', int(decimals));
    const qsizetype digits = decimals > 0 ? text.indexOf(QLatin1Char('.')) : text.size();
    text.prepend(QString(qMax<qsizetype>(0, match.capturedLength(1) - digits), QLatin1Char('0')));
    return number < 0 ? QLatin1Char('-') + text : text;
}
