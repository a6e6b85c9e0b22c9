#include "SqlTexts.h"

#include <QRegularExpression>

namespace SqlText {

namespace {

const QString kListingHead = QStringLiteral("Select GL_bDigest.*,Code.cCode_Name ");
const QString kListingFrom = QStringLiteral("From GL_bDigest LEFT JOIN Code ");
const QString kListingJoin = QStringLiteral("ON GL_bDigest.cCode = Code.cCode ");
const QString kListingOrder = QStringLiteral("Order By GL_bDigest.cId");

QString valueList(const QString &head, const QString &tail)
{
    return head + kListingFrom + kListingJoin + tail;
}

} // namespace

QString Quoted(const QString &value)
{
    QString doubled = value;
    return doubled.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString ListingQuery()
{
    return kListingHead + kListingFrom + kListingJoin + kListingOrder;
}

QString SummaryCountQuery()
{
    return QStringLiteral("Select Count(*) From GL_bDigest");
}

QString FilteredListingQuery(const QString &condition)
{
    return kListingHead + kListingFrom + kListingJoin + QStringLiteral(" where ") + condition +
           kListingOrder;
}

QString FilterCondition(const QString &code, const QString &text, const QString &account)
{
    QString condition;
    if (!code.isEmpty())
        condition += QStringLiteral(" And cId='") + Quoted(code) + QLatin1Char('\'');
    if (!text.isEmpty())
        condition += QStringLiteral(" And cText='") + Quoted(text) + QLatin1Char('\'');
    if (!account.isEmpty())
        condition += QStringLiteral(" And (cCode_Name='") + Quoted(account) +
                     QStringLiteral("' or  GL_bDigest.cCode='") + Quoted(account) +
                     QStringLiteral("')");
    if (condition.startsWith(QLatin1String(" And ")))
        condition.remove(0, 5);
    return condition;
}

QString CodeValueList()
{
    return valueList(QStringLiteral("Select Distinct GL_bDigest.cId,Code.cCode_Name "),
                     QStringLiteral("Order By GL_bDigest.cId"));
}

QString TextValueList()
{
    return valueList(QStringLiteral("Select Distinct GL_bDigest.cText,Code.cCode_Name "),
                     QStringLiteral("Order By GL_bDigest.cText"));
}

QString AccountValueList()
{
    return valueList(QStringLiteral("Select Distinct GL_bDigest.cCode,Code.cCode_Name "),
                     QStringLiteral("Order By GL_bDigest.cCode"));
}

QString AccountListQuery()
{
    return QStringLiteral("Select cCode,cCode_Name From Code");
}

QString AccountFilter(const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    // The search means "contains the text". Without % _ or \ in it the two engines agree on the
    // plain pattern; with them (PostgreSQL takes \ as its escape, both take % and _ as
    // wildcards) every one of them is escaped and the escape is named, so they match themselves.
    static const QRegularExpression wildcards(QStringLiteral("[%_\\\\]"));
    QString pattern = Quoted(text);
    QString escape;
    if (text.contains(wildcards)) {
        pattern.replace(QLatin1Char('!'), QLatin1String("!!"));
        pattern.replace(QLatin1Char('%'), QLatin1String("!%"));
        pattern.replace(QLatin1Char('_'), QLatin1String("!_"));
        escape = QStringLiteral(" ESCAPE '!'");
    }
    return QStringLiteral("cCode like '%") + pattern + QStringLiteral("%'") + escape +
           QStringLiteral(" Or cCode_Name  like '%") + pattern + QStringLiteral("%'") + escape +
           QLatin1Char(' ');
}

QString AccountFindCriterion(const QString &code, const QString &name)
{
    if (!code.isEmpty())
        return QStringLiteral("cCode='") + Quoted(code) + QStringLiteral("' AND cCode_Name='") +
               Quoted(name) + QLatin1Char('\'');
    return QStringLiteral("cCode='") + Quoted(name) + QStringLiteral("' OR cCode_Name='") +
           Quoted(name) + QLatin1Char('\'');
}

QString FromToStatement(const QString &strFrom, const QString &strFromValue, const QString &strTo,
                        const QString &strTable)
{
    return QStringLiteral("select ") + strTo + QStringLiteral(" as code from ") + strTable +
           QStringLiteral(" where ") + strFrom + QStringLiteral("='") + Quoted(strFromValue) +
           QLatin1Char('\'');
}

QString RecordRefindCriterion(const QString &code)
{
    return QStringLiteral("cId='") + Quoted(code) + QLatin1Char('\'');
}

QString DeleteStatement(const QString &code)
{
    return QStringLiteral(" delete from GL_bDigest where cId='") + Quoted(code) + QLatin1Char('\'');
}

} // namespace SqlText
