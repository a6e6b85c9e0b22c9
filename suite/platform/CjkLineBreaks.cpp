#include "CjkLineBreaks.h"

#include <QRegularExpression>

QString JoinCjkLineBreaks(const QString &html)
{
    // Han characters, CJK and full-width punctuation, and the quotes, dash and ellipsis Chinese
    // text shares with Western text.
    static const QString cjk = QStringLiteral(
        "[\\p{Han}\\x{3000}-\\x{303F}\\x{FF00}-\\x{FFEF}\\x{2014}\\x{2018}\\x{2019}\\x{201C}"
        "\\x{201D}\\x{2026}]");
    static const QString tags = QStringLiteral("(?:<[^<>]*>)*");
    // Looking around the break, not across it, so that a character ending one joined line may
    // start the next one's match.
    static const QRegularExpression lineBreak(
        QStringLiteral("(?<=%1)(%2)[ \\t]*\\r?\\n\\s*(?=%2%1)").arg(cjk, tags));
    QString joined = html;
    return joined.replace(lineBreak, QStringLiteral("\\1"));
}
