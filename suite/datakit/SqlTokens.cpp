#include "SqlTokens.h"

namespace DataKit::detail {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') ||
           c.unicode() > 0x7f;
}

} // namespace

QList<Token> tokenize(const QString &s)
{
    QList<Token> tokens;
    int depth = 0;
    const int n = s.size();
    int i = 0;
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && s.at(i + 1) == QLatin1Char('-')) {
            while (i < n && s.at(i) != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && s.at(i + 1) == QLatin1Char('*')) {
            const int close = s.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            // A quote inside is written twice.
            const int begin = i++;
            while (i < n) {
                if (s.at(i) == c) {
                    if (i + 1 < n && s.at(i + 1) == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.append(
                {c == QLatin1Char('\'') ? Token::Literal : Token::QuotedName, begin, i, depth});
            continue;
        }
        if (isWordChar(c)) {
            const int begin = i;
            while (i < n && isWordChar(s.at(i)))
                ++i;
            tokens.append({Token::Word, begin, i, depth});
            continue;
        }
        if (c == QLatin1Char(')') && depth > 0)
            --depth;
        tokens.append({Token::Punct, i, i + 1, depth});
        if (c == QLatin1Char('('))
            ++depth;
        ++i;
    }
    return tokens;
}

QString textOf(const QString &s, const Token &t)
{
    return s.mid(t.begin, t.end - t.begin);
}

bool isWord(const QString &s, const Token &t, const char *upper)
{
    return t.kind == Token::Word &&
           QStringView(s)
                   .mid(t.begin, t.end - t.begin)
                   .compare(QLatin1String(upper), Qt::CaseInsensitive) == 0;
}

bool isPunct(const QString &s, const Token &t, char c)
{
    return t.kind == Token::Punct && s.at(t.begin) == QLatin1Char(c);
}

QString unquote(const QString &s, const Token &t)
{
    const QString raw = textOf(s, t);
    if (t.kind != Token::QuotedName)
        return raw;
    const QChar q = raw.at(0);
    QString inner = raw.mid(1, raw.size() - 2);
    inner.replace(QString(2, q), QString(q));
    return inner;
}

} // namespace DataKit::detail
