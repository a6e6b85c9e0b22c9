// The SQL texts a recordset sends: its analysis of the query (walked by key or read whole), the
// hidden key columns, the conditions and orders of the walk.
#include "RecordsetImpl.h"

#include "DatabaseAccess.h"
#include "Engine.h"
#include "JoinShape.h"
#include "KitText.h"

namespace DataKit {

namespace {

// The hidden key columns at the end of every row.
const char kHiddenPrefix[] = "kv__key";

} // namespace

Connection &RecordsetImpl::connection() const
{
    return detail::DatabaseAccess::connection(*m_database);
}

void RecordsetImpl::analyse()
{
    // A record can be known by its base table's key when each row of the query is one row of the
    // base table: a plain SELECT, not DISTINCT, not grouped.
    const bool plain = m_parts.parsed && !m_parts.distinct && m_parts.groupBy.isEmpty() &&
                       m_parts.having.isEmpty() && !detail::callsAggregate(m_parts.selectList);
    if (plain && m_base && m_base->exists && !m_base->keyColumns.isEmpty()) {
        m_keyColumns = m_base->keyColumns;
        m_keyed = true;
    }
    m_updatable = m_keyed && m_type == dbOpenDynaset;
    if (!m_keyed)
        return;
    bool onlyLeft = false;
    const bool keepsRows = joinsKeepBaseRows(&onlyLeft);
    m_countWithoutJoins = keepsRows && onlyLeft;
    m_order = orderWithKey();
    m_walk = keepsRows && m_keyColumns.size() == 1 && !m_order.isEmpty();
}

// Each joined table's whole primary key is set equal to columns of the tables before it, so it
// gives a row at most one partner; onlyLeft tells whether every join keeps the rows it finds no
// partner for (then the joins change nothing of a count).
bool RecordsetImpl::joinsKeepBaseRows(bool *onlyLeft) const
{
    *onlyLeft = true;
    if (m_parts.singleTable)
        return true;
    const detail::JoinShape shape = detail::readJoins(m_parts.joins);
    if (!shape.understood)
        return false;
    for (const detail::JoinedTable &joined : shape.tables) {
        const auto info = connection().tableInfo(joined.table, joined.quoted);
        if (!info->exists || info->keyColumns.isEmpty())
            return false;
        for (const QString &key : info->keyColumns) {
            if (!joined.equated.contains(key, Qt::CaseInsensitive))
                return false;
        }
        *onlyLeft = *onlyLeft && joined.left;
    }
    return true;
}

QString RecordsetImpl::qualifiedKey(int i) const
{
    return m_parts.baseQualifier + QLatin1Char('.') +
           connection().engine().quoteIdentifier(m_keyColumns.at(i));
}

QString RecordsetImpl::hiddenList() const
{
    QStringList items;
    for (int i = 0; i < m_keyColumns.size(); ++i)
        items.append(qualifiedKey(i) + QStringLiteral(" AS ") + QLatin1String(kHiddenPrefix) +
                     QString::number(i));
    return items.join(QStringLiteral(", "));
}

QString RecordsetImpl::fullList() const
{
    return m_keyed ? m_parts.selectList + QStringLiteral(", ") + hiddenList() : m_parts.selectList;
}

QStringList RecordsetImpl::conditions() const
{
    QStringList conds;
    if (!m_parts.where.isEmpty())
        conds.append(m_parts.where);
    if (!m_walkState.activeFilter.isEmpty())
        conds.append(m_walkState.activeFilter);
    return conds;
}

QString RecordsetImpl::bound(QVariantList &binds, const QVariant &value) const
{
    binds.append(value);
    return connection().engine().placeholder(int(binds.size()));
}

// The query's conditions, or a record written through the recordset since the last Requery.
RecordsetImpl::Conditions RecordsetImpl::walkConditions() const
{
    Conditions conds{conditions(), {}};
    if (conds.texts.isEmpty() || m_walkState.written.isEmpty())
        return conds;
    QStringList keys;
    for (const QVariant &key : m_walkState.written)
        keys.append(bound(conds.binds, key));
    conds.texts = QStringList{QStringLiteral("((") + conds.texts.join(QStringLiteral(") AND (")) +
                              QStringLiteral(")) OR ") + qualifiedKey(0) + QStringLiteral(" IN (") +
                              keys.join(QStringLiteral(", ")) + QLatin1Char(')')};
    return conds;
}

QString RecordsetImpl::equals(const QString &column, QVariantList &binds,
                              const QVariant &value) const
{
    return column + (value.isNull() ? QStringLiteral(" IS NULL") : " = " + bound(binds, value));
}

// SELECT what, over the rows of a walked recordset: a count, or a look for any row at all. The
// base table alone is read when the joins can neither add nor remove a row and nothing else is
// asked of the rows.
QString RecordsetImpl::countText(const QString &what, QVariantList &binds) const
{
    const Conditions walk = walkConditions();
    const QStringList &conds = walk.texts;
    binds = walk.binds;
    QString sql = QStringLiteral("SELECT ") + what + QStringLiteral(" FROM ") +
                  (m_countWithoutJoins && conds.isEmpty() ? m_parts.baseWritten : m_parts.from);
    if (!conds.isEmpty())
        sql +=
            QStringLiteral(" WHERE (") + conds.join(QStringLiteral(") AND (")) + QLatin1Char(')');
    return sql;
}

// The query's ORDER BY made to begin with its base table's key, as a recordset walked by key needs
// it; "" when it begins with anything else. The reverse order is kept in m_reverseOrder.
QString RecordsetImpl::orderWithKey()
{
    if (m_parts.orderItems.isEmpty())
        return {};
    auto isBaseQualifier = [this](const QString &q) {
        return q.isEmpty() || q.compare(m_parts.baseTable, Qt::CaseInsensitive) == 0 ||
               (!m_parts.baseAlias.isEmpty() &&
                q.compare(m_parts.baseAlias, Qt::CaseInsensitive) == 0);
    };
    const QString &item = m_parts.orderItems.first();
    QString expr = detail::orderExpression(item);
    const bool descending =
        item.mid(expr.size()).trimmed().startsWith(QLatin1String("DESC"), Qt::CaseInsensitive);
    // The walk's texts have another select list: an output position or an output alias in the
    // ORDER BY must become the expression it names.
    if (detail::isInteger(expr)) {
        const int n = expr.toInt();
        if (n < 1 || n > m_parts.selectItems.size())
            return {};
        for (int i = 0; i < n; ++i) {
            if (m_parts.selectItems.at(i).star)
                return {};
        }
        expr = m_parts.selectItems.at(n - 1).expression;
    }
    QString q, name;
    if (detail::isColumnReference(expr, &q, &name) && q.isEmpty()) {
        for (const detail::SelectItem &s : std::as_const(m_parts.selectItems)) {
            if (!s.alias.isEmpty() && s.alias.compare(name, Qt::CaseInsensitive) == 0) {
                expr = s.expression;
                break;
            }
        }
    }
    if (!detail::isColumnReference(expr, &q, &name) || !isBaseQualifier(q) ||
        name.compare(m_keyColumns.first(), Qt::CaseInsensitive) != 0)
        return {};
    const QString ascending = qualifiedKey(0) + QStringLiteral(" ASC");
    const QString reverse = qualifiedKey(0) + QStringLiteral(" DESC");
    m_descending = descending;
    m_reverseOrder = descending ? ascending : reverse;
    return descending ? reverse : ascending;
}

QString RecordsetImpl::selectText(const QString &list, bool distinct, const QStringList &conds,
                                  const QString &order, const QString &limit, bool grouped) const
{
    QString sql = QStringLiteral("SELECT ");
    if (distinct)
        sql += QStringLiteral("DISTINCT ");
    sql += list + QStringLiteral(" FROM ") + m_parts.from;
    if (!conds.isEmpty())
        sql +=
            QStringLiteral(" WHERE (") + conds.join(QStringLiteral(") AND (")) + QLatin1Char(')');
    if (grouped && !m_parts.groupBy.isEmpty())
        sql += QStringLiteral(" GROUP BY ") + m_parts.groupBy;
    if (grouped && !m_parts.having.isEmpty())
        sql += QStringLiteral(" HAVING ") + m_parts.having;
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order;
    if (!limit.isEmpty())
        sql += QLatin1Char(' ') + limit;
    return sql;
}

void RecordsetImpl::addKeyConditions(const QVariantList &key, Conditions &conds) const
{
    for (int k = 0; k < key.size(); ++k)
        conds.texts.append(equals(qualifiedKey(k), conds.binds, key.at(k)));
}

} // namespace DataKit
