#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the joins of a query do to its base table's rows: the kit walks a query by its base table's
// key only when every joined table can give a base row at most one partner, so that each row of
// the query is one row of the base table.
namespace DataKit::detail {

// A table joined to the ones before it, and which of its columns the join's condition sets equal
// to a column of another table.
struct JoinedTable
{
    QString table; // unquoted, without its schema
    bool quoted = false;
    bool left = false; // LEFT [OUTER] JOIN: the rows before it stay whether it matches or not
    QStringList equated;
};

struct JoinShape
{
    // Every join is an [INNER] or LEFT [OUTER] JOIN of a named table ON equalities joined by AND;
    // false for anything else (a comma, a subquery, USING, RIGHT, FULL, CROSS, NATURAL, another
    // kind of condition), which the kit then does not try to understand.
    bool understood = false;
    QList<JoinedTable> tables;
};

// Reads SelectParts::joins, the part of FROM after the base table.
JoinShape readJoins(const QString &joins);

} // namespace DataKit::detail
