#include "JoinShape.h"

#include "SqlText.h"
#include "SqlTokens.h"

namespace DataKit::detail {

namespace {

bool isName(const Token &t)
{
    return t.kind == Token::Word || t.kind == Token::QuotedName;
}

bool startsJoin(const QString &s, const Token &t)
{
    static const char *const words[] = {"LEFT",  "RIGHT",   "FULL", "INNER",
                                        "CROSS", "NATURAL", "JOIN"};
    if (t.depth != 0)
        return false;
    for (const char *word : words) {
        if (isWord(s, t, word))
            return true;
    }
    return isPunct(s, t, ',');
}

// The condition's columns of the joined table (named `qualifier`) set equal to a column of another
// table; false when the condition is not equalities of column references joined by AND.
bool readEqualities(const QString &condition, const QString &qualifier, QStringList &equated)
{
    QString text = condition.trimmed();
    QList<Token> t = tokenize(text);
    // One pair of parentheses around the whole condition.
    if (t.size() >= 2 && isPunct(text, t.first(), '(') && isPunct(text, t.last(), ')')) {
        bool whole = true;
        for (int i = 1; i + 1 < t.size() && whole; ++i)
            whole = t[i].depth > 0;
        if (whole) {
            text = text.mid(t.first().end, t.last().begin - t.first().end).trimmed();
            t = tokenize(text);
        }
    }
    QStringList parts;
    int start = 0;
    for (const Token &k : std::as_const(t)) {
        if (k.depth == 0 && isWord(text, k, "AND")) {
            parts.append(text.mid(start, k.begin - start));
            start = k.end;
        }
    }
    parts.append(text.mid(start));
    for (const QString &part : std::as_const(parts)) {
        const QList<Token> p = tokenize(part);
        int equals = -1;
        for (int i = 0; i < p.size(); ++i) {
            if (p[i].depth == 0 && isPunct(part, p[i], '=')) {
                if (equals >= 0)
                    return false;
                equals = i;
            }
        }
        if (equals <= 0 || equals + 1 >= p.size())
            return false;
        QString q1, n1, q2, n2;
        if (!isColumnReference(part.left(p[equals].begin), &q1, &n1) ||
            !isColumnReference(part.mid(p[equals].end), &q2, &n2))
            return false;
        const bool first = q1.compare(qualifier, Qt::CaseInsensitive) == 0;
        const bool second = q2.compare(qualifier, Qt::CaseInsensitive) == 0;
        if (first && !second && !q2.isEmpty())
            equated.append(n1);
        else if (second && !first && !q1.isEmpty())
            equated.append(n2);
    }
    return true;
}

} // namespace

JoinShape readJoins(const QString &joins)
{
    JoinShape shape;
    const QList<Token> t = tokenize(joins);
    int i = 0;
    while (i < t.size()) {
        JoinedTable joined;
        if (isWord(joins, t[i], "LEFT")) {
            joined.left = true;
            ++i;
            if (i < t.size() && isWord(joins, t[i], "OUTER"))
                ++i;
        } else if (isWord(joins, t[i], "INNER")) {
            ++i;
        }
        if (i >= t.size() || !isWord(joins, t[i], "JOIN"))
            return {};
        ++i;
        // The table, perhaps with its schema, then perhaps an alias.
        if (i >= t.size() || !isName(t[i]))
            return {};
        joined.table = unquote(joins, t[i]);
        joined.quoted = t[i].kind == Token::QuotedName;
        ++i;
        while (i + 1 < t.size() && isPunct(joins, t[i], '.') && isName(t[i + 1])) {
            joined.table = unquote(joins, t[i + 1]);
            joined.quoted = t[i + 1].kind == Token::QuotedName;
            i += 2;
        }
        QString qualifier = joined.table;
        if (i < t.size() && isWord(joins, t[i], "AS"))
            ++i;
        if (i < t.size() && isName(t[i]) && !isWord(joins, t[i], "ON")) {
            qualifier = unquote(joins, t[i]);
            ++i;
        }
        if (i >= t.size() || !isWord(joins, t[i], "ON"))
            return {};
        const int conditionBegin = ++i;
        while (i < t.size() && !startsJoin(joins, t[i]))
            ++i;
        if (i == conditionBegin)
            return {};
        const int end = i < t.size() ? t[i].begin : joins.size();
        const QString condition = joins.mid(t[conditionBegin].begin, end - t[conditionBegin].begin);
        if (!readEqualities(condition, qualifier, joined.equated))
            return {};
        shape.tables.append(joined);
    }
    shape.understood = true;
    return shape;
}

} // namespace DataKit::detail
