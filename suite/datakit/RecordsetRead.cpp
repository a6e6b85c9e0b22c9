// Reading: the keyset or the whole query, pages of rows by key, finding a record again.
#include "RecordsetImpl.h"

#include "Database.h"
#include "KitText.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace DataKit {

void RecordsetImpl::load(bool keepCurrent)
{
    const Identity current = keepCurrent ? currentIdentity() : Identity{};
    const bool wasBeforeFirst = m_count > 0 && m_pos < 0;
    const QString previousFilter = m_activeFilter;
    m_activeFilter = m_filter;
    try {
        if (!m_keyset) {
            loadFull();
        } else if (!loadKeyset()) {
            try {
                loadFull(); // the query read whole from now on
            } catch (...) {
                m_keyset = true; // the query (or the filter) is wrong, not the keyset
                throw;
            }
        }
    } catch (...) {
        m_activeFilter = previousFilter; // a failed Requery changes nothing
        throw;
    }

    if (!keepCurrent) {
        m_pos = 0;
    } else if (current.valid) {
        const int at = locate(current);
        m_pos = at >= 0 ? at : m_count; // the record is gone: no current record (EOF)
    } else {
        m_pos = wasBeforeFirst ? -1 : m_count;
    }
    // The current record's page is read with the keys, so it is seen as it is now.
    if (m_pos >= 0 && m_pos < m_count && m_state.at(m_pos) == RowState::NotRead)
        fetchAround(m_pos);
    if (!m_haveFields)
        readFieldsOnly();
}

bool RecordsetImpl::loadKeyset()
{
    const QString sql =
        selectText(hiddenList(), false, conditions(), m_keysetOrder, QString(), false);
    QVector<QVariant> keys;
    const int width = m_keyColumns.size();
    try {
        QSqlQuery q = connection().run(sql, {}, Activity::Reading);
        while (connection().next(q)) {
            for (int k = 0; k < width; ++k)
                keys.append(detail::normalized(q.value(k)));
        }
    } catch (const Error &e) {
        // The key-only text may not be valid where the whole one is (an ORDER BY on something
        // only the select list defines): read this recordset whole from now on.
        if (e.number() != errSyntax)
            throw;
        m_keyset = false;
        return false;
    }
    const int count = keys.size() / width;

    // A join that repeats base rows cannot be read by key.
    if (!m_parts.singleTable && m_orderLeadsWithKey) {
        for (int i = 1; i < count; ++i) {
            bool same = true;
            for (int k = 0; same && k < width; ++k)
                same = detail::sameValue(keys.at(i * width + k), keys.at((i - 1) * width + k));
            if (same) {
                m_keyset = false;
                return false;
            }
        }
    } else if (!m_parts.singleTable) {
        QSet<QString> seen;
        seen.reserve(count);
        for (int i = 0; i < count; ++i) {
            const QString text = detail::valuesText(keys.constData() + i * width, width);
            if (seen.contains(text)) {
                m_keyset = false;
                return false;
            }
            seen.insert(text);
        }
    }

    m_keys = std::move(keys);
    m_count = count;
    m_rows = QVector<Row>(count);
    m_state = QVector<RowState>(count, RowState::NotRead);
    m_keyIndex.clear();
    m_keyIndexBuilt = false;
    m_sequentialEnd = -1;
    return true;
}

void RecordsetImpl::loadFull()
{
    QString sql;
    if (m_parts.parsed) {
        sql = selectText(fullList(), m_parts.distinct, conditions(), m_parts.orderBy, QString(),
                         true);
    } else if (m_activeFilter.isEmpty()) {
        sql = m_sql;
    } else {
        sql = QStringLiteral("SELECT * FROM (%1) kv_sub WHERE (%2)").arg(m_sql, m_activeFilter);
    }
    QSqlQuery q = connection().run(sql, {}, Activity::Reading);
    takeFields(q.record());
    QVector<Row> rows;
    QVector<QVariant> keys;
    const int width = m_keyed ? m_keyColumns.size() : 0;
    const int visible = m_fieldNames.size();
    while (connection().next(q)) {
        Row row = readRow(q);
        for (int k = 0; k < width; ++k)
            keys.append(row.at(visible + k));
        rows.append(std::move(row));
    }
    m_count = rows.size();
    m_rows = std::move(rows);
    m_keys = std::move(keys);
    m_state = QVector<RowState>(m_count, RowState::Read);
    m_keyIndex.clear();
    m_keyIndexBuilt = false;
}

RecordsetImpl::Row RecordsetImpl::readRow(const QSqlQuery &query) const
{
    const int n = m_fieldNames.size() + (m_keyed ? m_keyColumns.size() : 0);
    Row row(n);
    for (int i = 0; i < n; ++i)
        row[i] = detail::normalized(query.value(i));
    return row;
}

void RecordsetImpl::takeFields(const QSqlRecord &record)
{
    if (m_haveFields)
        return;
    const int hidden = m_keyed ? m_keyColumns.size() : 0;
    const int visible = record.count() - hidden;
    auto isBaseQualifier = [this](const QString &q) {
        return q.isEmpty() || q.compare(m_parts.baseTable, Qt::CaseInsensitive) == 0 ||
               (!m_parts.baseAlias.isEmpty() &&
                q.compare(m_parts.baseAlias, Qt::CaseInsensitive) == 0);
    };
    for (int i = 0; i < visible; ++i) {
        const QString name = record.fieldName(i);
        m_fieldNames.append(name);
        if (!m_fieldByName.contains(name.toLower()))
            m_fieldByName.insert(name.toLower(), i);

        // Which column of the base table this field shows, if any: only those are written.
        int column = -1;
        if (m_base && m_base->exists) {
            bool decided = false;
            for (const detail::SelectItem &s : std::as_const(m_parts.selectItems)) {
                if (!s.alias.isEmpty() && s.alias.compare(name, Qt::CaseInsensitive) == 0) {
                    if (!s.column.isEmpty() && isBaseQualifier(s.qualifier))
                        column = m_base->columnIndex(s.column);
                    decided = true;
                    break;
                }
            }
            for (int k = 0; !decided && k < m_parts.selectItems.size(); ++k) {
                const detail::SelectItem &s = m_parts.selectItems.at(k);
                if (s.alias.isEmpty() && !s.column.isEmpty() &&
                    s.column.compare(name, Qt::CaseInsensitive) == 0) {
                    // An unqualified name means the base table's column when it has one.
                    if (isBaseQualifier(s.qualifier))
                        column = m_base->columnIndex(s.column);
                    decided = true;
                }
            }
            for (int k = 0; !decided && k < m_parts.selectItems.size(); ++k) {
                const detail::SelectItem &s = m_parts.selectItems.at(k);
                if (s.star && isBaseQualifier(s.qualifier) && m_base->columnIndex(name) >= 0) {
                    column = m_base->columnIndex(name);
                    decided = true;
                }
            }
        }
        m_fieldBaseColumn.append(column);
    }
    m_haveFields = true;
}

void RecordsetImpl::readFieldsOnly()
{
    const QString sql = m_parts.parsed
                            ? selectText(fullList(), m_parts.distinct, {QStringLiteral("1=0")},
                                         QString(), QString(), true)
                            : QStringLiteral("SELECT * FROM (%1) kv_sub WHERE 1=0").arg(m_sql);
    QSqlQuery q = connection().run(sql, {}, Activity::Reading);
    takeFields(q.record());
}

void RecordsetImpl::fetchAround(int index) const
{
    constexpr int basePage = 200;
    constexpr int largestPage = 3200;
    // Reading forward page after page (filling a grid) asks for ever larger pages.
    int start;
    if (index == m_sequentialEnd) {
        m_pageSize = std::clamp(m_pageSize * 2, basePage, largestPage);
        start = index;
    } else {
        m_pageSize = basePage;
        start = index - index % basePage;
    }
    const int end = std::min(m_count, start + m_pageSize);
    const int width = m_keyColumns.size();

    // The keys go into the text as literals (the driver's escaping of values the database gave
    // us): binding thousands of values costs Qt time that grows with their square.
    Connection &conn = connection();
    QHash<QString, int> wanted;
    QStringList keyTerms;
    for (int i = start; i < end; ++i) {
        if (m_state.at(i) != RowState::NotRead)
            continue;
        const QVariant *key = m_keys.constData() + i * width;
        wanted.insert(detail::valuesText(key, width), i);
        if (width == 1) {
            keyTerms.append(conn.literal(key[0]));
        } else {
            QStringList one;
            for (int k = 0; k < width; ++k)
                one.append(qualifiedKey(k) + QStringLiteral(" = ") + conn.literal(key[k]));
            keyTerms.append(QLatin1Char('(') + one.join(QStringLiteral(" AND ")) +
                            QLatin1Char(')'));
        }
    }
    if (wanted.isEmpty())
        return;
    const QString keyCondition = width == 1 ? qualifiedKey(0) + QStringLiteral(" IN (") +
                                                  keyTerms.join(QLatin1Char(',')) + QLatin1Char(')')
                                            : keyTerms.join(QStringLiteral(" OR "));
    // Over a single table the key alone finds the row as it is now; over a join the query's own
    // conditions keep the joined rows to those the keyset was made of.
    QStringList conds = m_parts.singleTable ? QStringList() : conditions();
    conds.append(keyCondition);
    const QString sql = selectText(fullList(), false, conds, QString(), QString(), false);

    auto *self = const_cast<RecordsetImpl *>(this);
    QSqlQuery q = self->connection().run(sql, {}, Activity::Reading);
    self->takeFields(q.record());
    const int visible = m_fieldNames.size();
    while (connection().next(q)) {
        Row row = readRow(q);
        const auto it = wanted.find(detail::valuesText(row.constData() + visible, width));
        if (it == wanted.end())
            continue;
        m_rows[it.value()] = std::move(row);
        m_state[it.value()] = RowState::Read;
        wanted.erase(it);
    }
    // Keys that found no row: deleted by another user since the Requery.
    for (int i : std::as_const(wanted))
        m_state[i] = RowState::Deleted;
    m_sequentialEnd = end;
}

bool RecordsetImpl::readByKey(const QVariantList &key, Row &row)
{
    Connection &conn = connection();
    QStringList conds;
    for (int k = 0; k < key.size(); ++k)
        conds.append(qualifiedKey(k) + QStringLiteral(" = ") + conn.literal(key.at(k)));
    QSqlQuery q = conn.run(selectText(fullList(), false, conds, QString(), QString(), false), {},
                           Activity::Reading);
    takeFields(q.record());
    if (!connection().next(q))
        return false;
    row = readRow(q);
    return true;
}

void RecordsetImpl::readAgain(int index)
{
    m_state[index] = readByKey(keyAt(index), m_rows[index]) ? RowState::Read : RowState::Deleted;
}

const RecordsetImpl::Row &RecordsetImpl::rowAt(int index) const
{
    if (m_state.at(index) == RowState::NotRead)
        fetchAround(index);
    if (m_state.at(index) == RowState::Deleted)
        throw Error(errDeletedByOther, kitDescription(errDeletedByOther));
    return m_rows.at(index);
}

QVariantList RecordsetImpl::keyAt(int index) const
{
    QVariantList key;
    const int width = m_keyColumns.size();
    for (int k = 0; k < width; ++k)
        key.append(m_keys.at(index * width + k));
    return key;
}

RecordsetImpl::Identity RecordsetImpl::currentIdentity() const
{
    Identity id;
    if (m_pos < 0 || m_pos >= m_count)
        return id;
    if (m_keyed) {
        id.key = keyAt(m_pos);
        id.valid = true;
    } else if (m_state.at(m_pos) == RowState::Read) {
        id.values = m_rows.at(m_pos);
        id.valid = true;
    }
    return id;
}

int RecordsetImpl::locate(const Identity &identity) const
{
    if (m_keyed)
        return indexOfKey(identity.key);
    for (int i = 0; i < m_count; ++i) {
        const Row &row = m_rows.at(i);
        bool same = row.size() == identity.values.size();
        for (int c = 0; same && c < row.size(); ++c)
            same = detail::sameValue(row.at(c), identity.values.at(c));
        if (same)
            return i;
    }
    return -1;
}

int RecordsetImpl::indexOfKey(const QVariantList &key) const
{
    const int width = m_keyColumns.size();
    if (key.size() != width)
        return -1;
    if (m_keyIndexBuilt)
        return m_keyIndex.value(detail::valuesText(key.constData(), width), -1);
    // One look-up: a scan is cheaper than building the index.
    for (int i = 0; i < m_count; ++i) {
        bool same = true;
        for (int k = 0; same && k < width; ++k)
            same = detail::sameValue(m_keys.at(i * width + k), key.at(k));
        if (same)
            return i;
    }
    return -1;
}

} // namespace DataKit
