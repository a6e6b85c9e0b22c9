// A recordset read whole: every row at open and at each Requery; FindFirst evaluated by the
// database over the query's own FROM. Also what both ways share: the fields, a row by its key.
#include "RecordsetImpl.h"

#include "KitText.h"

#include <QSet>

namespace DataKit {

namespace {

// A hashable text for a row of values.
QString valuesText(const QVariant *values, qsizetype count)
{
    QString text;
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            text += QChar(0x1f);
        text += values[i].isNull() ? QString(QChar(0x1e)) : values[i].toString();
    }
    return text;
}

} // namespace

void RecordsetImpl::loadWhole(bool keepCurrent)
{
    const bool hadCurrent = keepCurrent && m_pos >= 0 && m_pos < m_rows.size();
    const Row current = hadCurrent ? m_rows.at(m_pos) : Row();
    const bool wasBeforeFirst = !m_rows.isEmpty() && m_pos < 0;
    const QString previousFilter = m_walkState.activeFilter;
    m_walkState.activeFilter = m_filter;
    QVector<Row> rows;
    try {
        QString sql;
        if (m_parts.parsed) {
            sql = selectText(fullList(), m_parts.distinct, conditions(), m_parts.orderBy, QString(),
                             true);
        } else if (m_walkState.activeFilter.isEmpty()) {
            sql = m_sql;
        } else {
            sql = QStringLiteral("SELECT * FROM (%1) kv_sub WHERE (%2)")
                      .arg(m_sql, m_walkState.activeFilter);
        }
        Rows read = connection().select(sql, {}, Activity::Reading);
        takeFields(read.names);
        rows = std::move(read.rows);
    } catch (...) {
        m_walkState.activeFilter = previousFilter; // a failed Requery changes nothing
        throw;
    }
    m_rows = std::move(rows);
    if (!keepCurrent) {
        m_pos = 0;
    } else if (hadCurrent) {
        const int at = locate(current);
        m_pos = at >= 0 ? at : int(m_rows.size()); // the record is gone: no current record (EOF)
    } else {
        m_pos = wasBeforeFirst ? -1 : int(m_rows.size());
    }
    if (!m_haveFields)
        readFieldsOnly();
}

void RecordsetImpl::takeFields(const QStringList &names)
{
    if (m_haveFields)
        return;
    const int hidden = m_keyed ? int(m_keyColumns.size()) : 0;
    const int visible = int(names.size()) - hidden;
    auto isBaseQualifier = [this](const QString &q) {
        return q.isEmpty() || q.compare(m_parts.baseTable, Qt::CaseInsensitive) == 0 ||
               (!m_parts.baseAlias.isEmpty() &&
                q.compare(m_parts.baseAlias, Qt::CaseInsensitive) == 0);
    };
    for (int i = 0; i < visible; ++i) {
        const QString &name = names.at(i);
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
    takeFields(connection().select(sql, {}, Activity::Reading).names);
}

bool RecordsetImpl::readByKey(const QVariantList &key, Row &row) const
{
    Conditions conds;
    addKeyConditions(key, conds);
    Rows read =
        connection().select(selectText(fullList(), false, conds.texts, QString(), QString(), false),
                            conds.binds, Activity::Reading);
    const_cast<RecordsetImpl *>(this)->takeFields(read.names);
    if (read.rows.isEmpty())
        return false;
    row = std::move(read.rows.first());
    return true;
}

// The row with the same values (of a keyed query: the same key) as identity, -1 when none.
int RecordsetImpl::locate(const Row &identity) const
{
    const int first = m_keyed ? int(m_fieldNames.size()) : 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        const Row &row = m_rows.at(i);
        bool same = row.size() == identity.size();
        for (int c = first; same && c < row.size(); ++c)
            same = detail::sameValue(row.at(c), identity.at(c));
        if (same)
            return i;
    }
    return -1;
}

int RecordsetImpl::findWhole(const QString &criterion) const
{
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
        if (!m_walkState.activeFilter.isEmpty())
            where = m_walkState.activeFilter + QStringLiteral(") AND (") + criterion;
        sql = QStringLiteral("SELECT * FROM (%1) kv_sub WHERE (%2)").arg(m_sql, where);
    }
    const Rows read = connection().select(sql, {}, Activity::Reading);
    const qsizetype visible = m_fieldNames.size();
    const qsizetype keyWidth = m_keyed ? m_keyColumns.size() : 0;
    QSet<QString> rows;
    QSet<QString> keys;
    for (const Row &row : read.rows) {
        rows.insert(valuesText(row.constData(), visible + keyWidth));
        if (keyWidth > 0)
            keys.insert(valuesText(row.constData() + visible, keyWidth));
    }
    if (rows.isEmpty())
        return -1;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (rows.contains(valuesText(m_rows.at(i).constData(), visible + keyWidth)))
            return i;
    }
    for (int i = 0; keyWidth > 0 && i < m_rows.size(); ++i) {
        if (keys.contains(valuesText(m_rows.at(i).constData() + visible, keyWidth)))
            return i;
    }
    return -1;
}

void RecordsetImpl::readAllWhole(const RowReader &row)
{
    const qsizetype visible = m_fieldNames.size();
    QVector<QByteArray> texts(visible);
    QVector<FieldText> fields(visible);
    for (const Row &values : std::as_const(m_rows)) {
        for (qsizetype i = 0; i < visible; ++i) {
            if (values.at(i).isNull()) {
                fields[i] = FieldText();
                continue;
            }
            texts[i] = values.at(i).toString().toUtf8();
            fields[i] = FieldText{texts[i].constData(), texts[i].size()};
        }
        row(fields.constData());
    }
    m_pos = int(m_rows.size());
}

} // namespace DataKit
