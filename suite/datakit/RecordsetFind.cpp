// FindFirst: the criterion evaluated by the database as one more WHERE condition of the query.
#include "RecordsetImpl.h"

#include "Database.h"

#include <QSet>
#include <QSqlQuery>

namespace DataKit {

void RecordsetImpl::FindFirst(const QString &criterion)
{
    connection();
    dropPending();
    // A criterion the database cannot evaluate leaves NoMatch true and the position unchanged.
    m_noMatch = true;
    if (m_count == 0)
        return;
    const QString condition = criterion.trimmed();
    const int at = condition.isEmpty() ? 0 : m_keyset ? findKeyset(condition) : findFull(condition);
    if (at < 0)
        return;
    m_pos = at;
    m_noMatch = false;
    if (m_state.at(m_pos) == RowState::NotRead)
        fetchAround(m_pos);
}

int RecordsetImpl::findKeyset(const QString &criterion) const
{
    Connection &conn = connection();
    const int width = m_keyColumns.size();
    QStringList conds = conditions();
    conds.append(criterion);
    {
        // The database finds the first match in the recordset's own order (key as tie-break).
        QSqlQuery q = conn.run(
            selectText(hiddenList(), false, conds, m_keysetOrder, QStringLiteral("LIMIT 1"), false),
            {}, Activity::Reading);
        if (!connection().next(q))
            return -1;
        QVariantList key;
        for (int k = 0; k < width; ++k)
            key.append(detail::normalized(q.value(k)));
        const int at = indexOfKey(key);
        if (at >= 0)
            return at;
    }
    // That row joined the table after the last Requery: the first match among the records the
    // recordset does hold.
    if (!m_keyIndexBuilt) {
        m_keyIndex.clear();
        m_keyIndex.reserve(m_count);
        for (int i = m_count - 1; i >= 0; --i)
            m_keyIndex.insert(detail::valuesText(m_keys.constData() + i * width, width), i);
        m_keyIndexBuilt = true;
    }
    QSqlQuery q = conn.run(selectText(hiddenList(), false, conds, QString(), QString(), false), {},
                           Activity::Reading);
    int best = -1;
    QVariantList key(width);
    while (connection().next(q)) {
        for (int k = 0; k < width; ++k)
            key[k] = detail::normalized(q.value(k));
        const int at = m_keyIndex.value(detail::valuesText(key.constData(), width), -1);
        if (at >= 0 && (best < 0 || at < best))
            best = at;
    }
    return best;
}

int RecordsetImpl::findFull(const QString &criterion) const
{
    Connection &conn = connection();
    // The rows of the query that meet the criterion, evaluated by the database with the query's
    // own FROM (so qualified names mean what they mean there); the first of this recordset's rows
    // among them is the match: the first with the same values, else (a row another user changed
    // since it was read) the first with the same key.
    QString sql;
    if (m_parts.parsed) {
        QStringList conds = conditions();
        conds.append(criterion);
        sql = selectText(fullList(), m_parts.distinct, conds, QString(), QString(), true);
    } else {
        QString where = criterion;
        if (!m_activeFilter.isEmpty())
            where = m_activeFilter + QStringLiteral(") AND (") + criterion;
        sql = QStringLiteral("SELECT * FROM (%1) kv_sub WHERE (%2)").arg(m_sql, where);
    }
    QSqlQuery q = conn.run(sql, {}, Activity::Reading);
    const int keyWidth = m_keyed ? m_keyColumns.size() : 0;
    const int width = m_fieldNames.size() + keyWidth;
    QSet<QString> rows;
    QSet<QString> keys;
    while (connection().next(q)) {
        const Row row = readRow(q);
        rows.insert(detail::valuesText(row.constData(), width));
        if (keyWidth > 0)
            keys.insert(detail::valuesText(row.constData() + m_fieldNames.size(), keyWidth));
    }
    if (rows.isEmpty())
        return -1;
    for (int i = 0; i < m_count; ++i) {
        if (m_state.at(i) == RowState::Read &&
            rows.contains(detail::valuesText(m_rows.at(i).constData(), width)))
            return i;
    }
    for (int i = 0; keyWidth > 0 && i < m_count; ++i) {
        if (keys.contains(detail::valuesText(m_keys.constData() + i * keyWidth, keyWidth)))
            return i;
    }
    return -1;
}

} // namespace DataKit
