#pragma once

#include <QString>
#include <QStringList>

// The kit's small understanding of a SELECT statement: enough to add conditions to its WHERE, to
// swap its select list for the base table's key, and to find its base table. Keywords in any case;
// quoted literals, quoted identifiers, parentheses and comments are skipped over, so a keyword
// inside a literal never counts.
namespace DataKit::detail {

struct SelectItem
{
    QString text;       // the item as written
    QString expression; // without its alias
    QString alias;      // "" when none
    QString qualifier;  // for "q.col" / "q.*": q (unquoted); else ""
    QString column;     // for a plain column reference: the column (unquoted); else ""
    bool star = false;  // "*" or "q.*"
};

struct SelectParts
{
    bool parsed = false; // false: not a plain SELECT (UNION, WITH, LIMIT, ...): use it as written
    bool distinct = false;
    QString selectList;
    QString from;
    QString where;
    QString groupBy; // GROUP BY list, "" when none
    QString having;
    QString orderBy;   // ORDER BY list, "" when none
    QString baseTable; // first table after FROM, unquoted ("" when a subquery comes first)
    bool baseQuoted = false;
    QString baseWritten;      // the base table as the query writes it (schema and quotes kept)
    QString baseQualifier;    // how the query names the base table: its alias, else baseWritten
    QString baseAlias;        // the alias, unquoted ("" when none)
    bool singleTable = false; // FROM names one table only (no join, no comma)
    QString joins;            // what FROM has after the base table (and its alias), "" when none
    QList<SelectItem> selectItems;
    QStringList orderItems;
};

SelectParts parseSelect(const QString &sql);

// Splits at commas outside parentheses and literals.
QStringList splitTopLevel(const QString &text);

// The text with a trailing ASC/DESC/NULLS FIRST/NULLS LAST removed.
QString orderExpression(const QString &orderItem);

// True when the text is one identifier or a dotted name; sets qualifier (may be "") and name,
// both unquoted.
bool isColumnReference(const QString &text, QString *qualifier, QString *name);

// True for a plain unsigned integer such as an ORDER BY position.
bool isInteger(const QString &text);

// True when the text calls an aggregate function (count, sum, min, string_agg, ...): such a
// select list makes one row of many base rows.
bool callsAggregate(const QString &text);

// The first word of a statement, upper-case ("" when none).
QString firstKeyword(const QString &sql);

// An identifier as an engine needs it written: unchanged when it is a plain identifier (and, for an
// engine that folds unquoted names to lower case, already lower-case), else double-quoted.
QString quoteIdentifier(const QString &name, bool foldsToLower);

} // namespace DataKit::detail
