#include "SqlText.h"

#include "SqlTokens.h"

#include <QSet>

namespace DataKit::detail {

namespace {

const QSet<QString> &notAliases()
{
    static const QSet<QString> words = {
        QStringLiteral("LEFT"),   QStringLiteral("RIGHT"),        QStringLiteral("INNER"),
        QStringLiteral("OUTER"),  QStringLiteral("FULL"),         QStringLiteral("CROSS"),
        QStringLiteral("JOIN"),   QStringLiteral("NATURAL"),      QStringLiteral("WHERE"),
        QStringLiteral("GROUP"),  QStringLiteral("ORDER"),        QStringLiteral("LIMIT"),
        QStringLiteral("OFFSET"), QStringLiteral("ON"),           QStringLiteral("USING"),
        QStringLiteral("HAVING"), QStringLiteral("UNION"),        QStringLiteral("INTERSECT"),
        QStringLiteral("EXCEPT"), QStringLiteral("WINDOW"),       QStringLiteral("FETCH"),
        QStringLiteral("FOR"),    QStringLiteral("STRAIGHT_JOIN")};
    return words;
}

SelectItem analyseItem(const QString &item)
{
    SelectItem out;
    out.text = item.trimmed();
    out.expression = out.text;
    const QList<Token> t = tokenize(out.text);
    if (t.isEmpty())
        return out;
    // "expr AS alias" or "expr alias" (alias: a name after something that is not a dot).
    const int last = t.size() - 1;
    if (t.size() >= 3 && isWord(out.text, t[last - 1], "AS") &&
        (t[last].kind == Token::Word || t[last].kind == Token::QuotedName)) {
        out.alias = unquote(out.text, t[last]);
        out.expression = out.text.left(t[last - 1].begin).trimmed();
    } else if (t.size() >= 2 && t[last].depth == 0 &&
               (t[last].kind == Token::QuotedName ||
                (t[last].kind == Token::Word && !out.text.at(t[last].begin).isDigit() &&
                 !isWord(out.text, t[last], "END") && !isWord(out.text, t[last], "NULL") &&
                 !isWord(out.text, t[last], "TRUE") && !isWord(out.text, t[last], "FALSE"))) &&
               (t[last - 1].kind != Token::Punct || isPunct(out.text, t[last - 1], ')'))) {
        // "expr alias": the name follows something that ends an expression (a name, a literal or
        // a closing parenthesis), not an operator or a dot.
        out.alias = unquote(out.text, t[last]);
        out.expression = out.text.left(t[last].begin).trimmed();
    }
    const QList<Token> e = tokenize(out.expression);
    if (e.size() == 1 && isPunct(out.expression, e[0], '*')) {
        out.star = true;
    } else if (e.size() >= 3 && isPunct(out.expression, e.last(), '*') &&
               isPunct(out.expression, e[e.size() - 2], '.')) {
        out.star = true;
        out.qualifier = unquote(out.expression, e[e.size() - 3]);
    } else {
        isColumnReference(out.expression, &out.qualifier, &out.column);
    }
    return out;
}

} // namespace

QStringList splitTopLevel(const QString &text)
{
    QStringList parts;
    int start = 0;
    for (const Token &t : tokenize(text)) {
        if (t.depth == 0 && isPunct(text, t, ',')) {
            parts.append(text.mid(start, t.begin - start).trimmed());
            start = t.end;
        }
    }
    const QString rest = text.mid(start).trimmed();
    if (!rest.isEmpty() || !parts.isEmpty())
        parts.append(rest);
    return parts;
}

QString orderExpression(const QString &orderItem)
{
    QList<Token> t = tokenize(orderItem);
    int end = t.size();
    if (end >= 2 && isWord(orderItem, t[end - 2], "NULLS") &&
        (isWord(orderItem, t[end - 1], "FIRST") || isWord(orderItem, t[end - 1], "LAST")))
        end -= 2;
    if (end >= 1 && (isWord(orderItem, t[end - 1], "ASC") || isWord(orderItem, t[end - 1], "DESC")))
        end -= 1;
    if (end <= 0)
        return orderItem.trimmed();
    return orderItem.left(t[end - 1].end).trimmed();
}

bool isColumnReference(const QString &text, QString *qualifier, QString *name)
{
    const QList<Token> t = tokenize(text);
    auto isName = [](const Token &k) {
        return k.kind == Token::Word || k.kind == Token::QuotedName;
    };
    if (t.size() == 1 && isName(t[0])) {
        if (t[0].kind == Token::Word && text.at(t[0].begin).isDigit())
            return false;
        if (qualifier)
            qualifier->clear();
        if (name)
            *name = unquote(text, t[0]);
        return true;
    }
    // a.b or s.a.b: the last part is the column, the one before it the table.
    if (t.size() >= 3 && t.size() % 2 == 1) {
        for (int i = 0; i < t.size(); ++i) {
            if (i % 2 == 0 ? !isName(t[i]) : !isPunct(text, t[i], '.'))
                return false;
        }
        if (qualifier)
            *qualifier = unquote(text, t[t.size() - 3]);
        if (name)
            *name = unquote(text, t.last());
        return true;
    }
    return false;
}

bool isInteger(const QString &text)
{
    const QString s = text.trimmed();
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

bool callsAggregate(const QString &text)
{
    static const QSet<QString> aggregates = {QStringLiteral("COUNT"),
                                             QStringLiteral("SUM"),
                                             QStringLiteral("AVG"),
                                             QStringLiteral("MIN"),
                                             QStringLiteral("MAX"),
                                             QStringLiteral("TOTAL"),
                                             QStringLiteral("GROUP_CONCAT"),
                                             QStringLiteral("STRING_AGG"),
                                             QStringLiteral("ARRAY_AGG"),
                                             QStringLiteral("JSON_AGG"),
                                             QStringLiteral("JSONB_AGG"),
                                             QStringLiteral("BOOL_AND"),
                                             QStringLiteral("BOOL_OR"),
                                             QStringLiteral("EVERY"),
                                             QStringLiteral("BIT_AND"),
                                             QStringLiteral("BIT_OR"),
                                             QStringLiteral("STDDEV"),
                                             QStringLiteral("VARIANCE"),
                                             QStringLiteral("JSON_GROUP_ARRAY"),
                                             QStringLiteral("JSON_GROUP_OBJECT")};
    const QList<Token> t = tokenize(text);
    for (int i = 0; i + 1 < t.size(); ++i) {
        if (t[i].kind == Token::Word && isPunct(text, t[i + 1], '(') &&
            aggregates.contains(textOf(text, t[i]).toUpper()))
            return true;
    }
    return false;
}

QString firstKeyword(const QString &sql)
{
    const QList<Token> t = tokenize(sql);
    if (t.isEmpty() || t[0].kind != Token::Word)
        return {};
    return textOf(sql, t[0]).toUpper();
}

QString quoteIdentifier(const QString &name, bool foldsToLower)
{
    bool plain = !name.isEmpty() && !name.at(0).isDigit();
    for (QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('_'))
            plain = false;
    }
    if (plain && foldsToLower && name != name.toLower())
        plain = false;
    if (plain)
        return name;
    QString inner = name;
    inner.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

SelectParts parseSelect(const QString &sql)
{
    SelectParts p;
    const QList<Token> t = tokenize(sql);
    if (t.isEmpty() || !isWord(sql, t[0], "SELECT"))
        return p;

    int listBegin = 1;
    if (t.size() > 1 && isWord(sql, t[1], "DISTINCT")) {
        p.distinct = true;
        listBegin = 2;
    } else if (t.size() > 1 && isWord(sql, t[1], "ALL")) {
        listBegin = 2;
    }

    // Clause keywords at depth 0, in their required order.
    int fromAt = -1, whereAt = -1, groupAt = -1, havingAt = -1, orderAt = -1;
    for (int i = listBegin; i < t.size(); ++i) {
        const Token &k = t[i];
        if (k.depth != 0 || k.kind != Token::Word)
            continue;
        if (fromAt < 0) {
            if (isWord(sql, k, "FROM"))
                fromAt = i;
            continue;
        }
        if (isWord(sql, k, "UNION") || isWord(sql, k, "INTERSECT") || isWord(sql, k, "EXCEPT") ||
            isWord(sql, k, "LIMIT") || isWord(sql, k, "OFFSET") || isWord(sql, k, "FETCH") ||
            isWord(sql, k, "FOR") || isWord(sql, k, "WINDOW"))
            return SelectParts{}; // not a plain SELECT: the kit uses it as written
        if (isWord(sql, k, "WHERE")) {
            if (whereAt >= 0 || groupAt >= 0 || havingAt >= 0 || orderAt >= 0)
                return SelectParts{};
            whereAt = i;
        } else if (isWord(sql, k, "GROUP") && i + 1 < t.size() && isWord(sql, t[i + 1], "BY")) {
            if (groupAt >= 0 || havingAt >= 0 || orderAt >= 0)
                return SelectParts{};
            groupAt = i;
        } else if (isWord(sql, k, "HAVING")) {
            if (havingAt >= 0 || orderAt >= 0)
                return SelectParts{};
            havingAt = i;
        } else if (isWord(sql, k, "ORDER") && i + 1 < t.size() && isWord(sql, t[i + 1], "BY")) {
            if (orderAt >= 0)
                return SelectParts{};
            orderAt = i;
        }
    }
    if (fromAt < 0 || fromAt + 1 >= t.size())
        return p;

    const int listStart = listBegin < t.size() ? t[listBegin].begin : sql.size();
    p.selectList = sql.mid(listStart, t[fromAt].begin - listStart).trimmed();
    if (p.selectList.isEmpty())
        return SelectParts{};

    // Each clause runs to the start of the next one present.
    const int clauseStarts[] = {whereAt, groupAt, havingAt, orderAt};
    auto clauseEnd = [&](int after) {
        for (int s : clauseStarts) {
            if (s > after)
                return t[s].begin;
        }
        return int(sql.size());
    };
    const int fromBegin = t[fromAt + 1].begin;
    p.from = sql.mid(fromBegin, clauseEnd(fromAt) - fromBegin).trimmed();
    auto clauseText = [&](int at, int keywordTokens) {
        if (at < 0)
            return QString();
        const int begin = at + keywordTokens < t.size() ? t[at + keywordTokens].begin : sql.size();
        return sql.mid(begin, clauseEnd(at) - begin).trimmed();
    };
    p.where = clauseText(whereAt, 1);
    p.groupBy = clauseText(groupAt, 2);
    p.having = clauseText(havingAt, 1);
    p.orderBy = clauseText(orderAt, 2);
    if (p.from.isEmpty() || (whereAt >= 0 && p.where.isEmpty()) ||
        (orderAt >= 0 && p.orderBy.isEmpty()))
        return SelectParts{};

    // The base table: the first name after FROM, perhaps schema-qualified, perhaps with an alias.
    int i = fromAt + 1;
    const int fromEndToken = [&] {
        for (int s : clauseStarts) {
            if (s > fromAt)
                return s;
        }
        return int(t.size());
    }();
    if (t[i].kind == Token::Word || t[i].kind == Token::QuotedName) {
        QString written = textOf(sql, t[i]);
        p.baseTable = unquote(sql, t[i]);
        p.baseQuoted = t[i].kind == Token::QuotedName;
        ++i;
        while (i + 1 < fromEndToken && isPunct(sql, t[i], '.') &&
               (t[i + 1].kind == Token::Word || t[i + 1].kind == Token::QuotedName)) {
            written += QLatin1Char('.') + textOf(sql, t[i + 1]);
            p.baseTable = unquote(sql, t[i + 1]);
            p.baseQuoted = t[i + 1].kind == Token::QuotedName;
            i += 2;
        }
        p.baseWritten = written;
        p.baseQualifier = written;
        if (i < fromEndToken && isWord(sql, t[i], "AS") && i + 1 < fromEndToken) {
            p.baseQualifier = textOf(sql, t[i + 1]);
            p.baseAlias = unquote(sql, t[i + 1]);
            i += 2;
        } else if (i < fromEndToken && (t[i].kind == Token::QuotedName ||
                                        (t[i].kind == Token::Word &&
                                         !notAliases().contains(textOf(sql, t[i]).toUpper())))) {
            p.baseQualifier = textOf(sql, t[i]);
            p.baseAlias = unquote(sql, t[i]);
            ++i;
        }
        p.singleTable = i == fromEndToken;
        if (!p.singleTable)
            p.joins = sql.mid(t[i].begin, clauseEnd(fromAt) - t[i].begin).trimmed();
    }

    for (const QString &item : splitTopLevel(p.selectList))
        p.selectItems.append(analyseItem(item));
    if (!p.orderBy.isEmpty())
        p.orderItems = splitTopLevel(p.orderBy);
    p.parsed = true;
    return p;
}

} // namespace DataKit::detail
