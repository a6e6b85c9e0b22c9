// The SQL texts a recordset sends: its analysis of the query, the key-only text of the keyset,
// the ORDER BY that keeps keyset and FindFirst in one order.
#include "RecordsetImpl.h"

#include "Database.h"
#include "KitText.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace DataKit {

namespace {

// The hidden key columns at the end of every row.
const char kHiddenPrefix[] = "kv__key";

} // namespace

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
    m_keysetOrder = m_keyed ? keysetOrder() : QString();
    // Without an ORDER BY the engine's order of the whole query is the recordset's order; a
    // keyset query could come back in another (an index's), so such queries are read whole.
    m_keyset = m_updatable && !m_keysetOrder.isEmpty();
}

QString RecordsetImpl::qualifiedKey(int i) const
{
    return m_parts.baseQualifier + QLatin1Char('.') +
           detail::quoteIdentifier(m_keyColumns.at(i), connection().isPostgres());
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
    if (!m_activeFilter.isEmpty())
        conds.append(m_activeFilter);
    return conds;
}

QString RecordsetImpl::keysetOrder()
{
    if (m_parts.orderItems.isEmpty())
        return {};
    auto isBaseQualifier = [this](const QString &q) {
        return q.isEmpty() || q.compare(m_parts.baseTable, Qt::CaseInsensitive) == 0 ||
               (!m_parts.baseAlias.isEmpty() &&
                q.compare(m_parts.baseAlias, Qt::CaseInsensitive) == 0);
    };
    QStringList items;
    QStringList orderedKeys;
    for (const QString &item : m_parts.orderItems) {
        QString expr = detail::orderExpression(item);
        const QString direction = item.mid(expr.size());
        // The keyset query has another select list: an output position or an output alias in
        // the ORDER BY must become the expression it names.
        if (detail::isInteger(expr)) {
            const int n = expr.toInt();
            if (n < 1 || n > m_parts.selectItems.size())
                return {};
            for (int i = 0; i < n; ++i) {
                if (m_parts.selectItems.at(i).star)
                    return {};
            }
            expr = m_parts.selectItems.at(n - 1).expression;
        } else {
            QString q, name;
            if (detail::isColumnReference(expr, &q, &name) && q.isEmpty()) {
                for (const detail::SelectItem &s : m_parts.selectItems) {
                    if (!s.alias.isEmpty() && s.alias.compare(name, Qt::CaseInsensitive) == 0) {
                        expr = s.expression;
                        break;
                    }
                }
            }
            if (detail::isColumnReference(expr, &q, &name) && isBaseQualifier(q))
                orderedKeys.append(name.toLower());
        }
        items.append(expr + direction);
        // Does the order so far begin with every key column?
        if (items.size() == orderedKeys.size()) {
            bool all = true;
            for (const QString &k : std::as_const(m_keyColumns))
                all = all && orderedKeys.contains(k.toLower());
            if (all)
                m_orderLeadsWithKey = true;
        }
    }
    // The key breaks ties, so the keyset's order and FindFirst's "first" are the same order.
    for (int i = 0; i < m_keyColumns.size(); ++i) {
        if (!orderedKeys.contains(m_keyColumns.at(i).toLower()))
            items.append(qualifiedKey(i));
    }
    return items.join(QStringLiteral(", "));
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

} // namespace DataKit
