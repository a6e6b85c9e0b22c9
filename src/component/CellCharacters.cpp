#include "CellCharacters.h"

namespace {

bool isPrivateUse(char32_t ch)
{
    return (ch >= 0xE000 && ch <= 0xF8FF) || ch >= 0xF0000;
}

// "U+000A（第 3 个字符）": the code, which a person can look up, and where it stands.
QString characterAt(char32_t ch, qsizetype position)
{
    return QStringLiteral("U+%1（第 %2 个字符）")
        .arg(QString::number(uint(ch), 16).toUpper().rightJustified(4, QLatin1Char('0')))
        .arg(position);
}

} // namespace

QString CellCharacterProblem(QStringView text)
{
    qsizetype position = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        ++position;
        char32_t ch = text[i].unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (QChar::category(ch) == QChar::Other_Control)
            return QStringLiteral("单元格中有控制字符 %1，如换行、制表符，请重新录入！")
                .arg(characterAt(ch, position));
        if (isPrivateUse(ch) || ch == 0xFFFD || QChar::isSurrogate(ch))
            return QStringLiteral("单元格中有不能识别的字符 %1，请重新录入！")
                .arg(characterAt(ch, position));
    }
    return {};
}
