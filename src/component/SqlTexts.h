#pragma once

#include <QString>

// Every SQL text the component builds, from fixed fragments. Values are put between single quotes
// with their own apostrophes doubled, so a value can never change a statement's meaning; a value
// without apostrophes gives exactly the fixed shape.
namespace SqlText {

QString Quoted(const QString &value); // the value's apostrophes doubled, without surrounding quotes

QString ListingQuery();
QString SummaryCountQuery();
QString FilteredListingQuery(const QString &condition);
QString FilterCondition(const QString &code, const QString &text, const QString &account);
QString CodeValueList();
QString TextValueList();
QString AccountValueList();
QString AccountListQuery();
QString AccountFilter(const QString &text);
QString AccountFindCriterion(const QString &code, const QString &name);
QString FromToStatement(const QString &strFrom, const QString &strFromValue, const QString &strTo,
                        const QString &strTable);
QString RecordRefindCriterion(const QString &code);
QString DeleteStatement(const QString &code);

} // namespace SqlText
