#pragma once

#include <QList>
#include <QString>

// The words, literals, quoted names and punctuation of an SQL text, for the kit's small readings
// of statements (SqlText.cpp, JoinShape.cpp). Comments are skipped; a quote inside a literal or a
// quoted name is written twice.
namespace DataKit::detail {

struct Token
{
    enum Kind { Word, Literal, QuotedName, Punct };
    Kind kind;
    int begin;
    int end;   // one past the last character
    int depth; // parenthesis depth the token stands at ('(' and ')' at their outer depth)
};

QList<Token> tokenize(const QString &s);
QString textOf(const QString &s, const Token &t);
// A word, compared without regard to case with upper.
bool isWord(const QString &s, const Token &t, const char *upper);
bool isPunct(const QString &s, const Token &t, char c);
// A name without its quotes.
QString unquote(const QString &s, const Token &t);

} // namespace DataKit::detail
