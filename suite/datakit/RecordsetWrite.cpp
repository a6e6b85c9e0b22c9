// Writing: AddNew/Edit/Collect/Update and their cancellation.
#include "RecordsetImpl.h"

#include "Database.h"
#include "KitText.h"

#include <QSqlQuery>

namespace DataKit {

namespace {

const long errNoPendingUpdate = 3020; // DAO: Update or CancelUpdate without AddNew or Edit

} // namespace

// --- Writing ---------------------------------------------------------------------------------

void RecordsetImpl::requireUpdatable() const
{
    if (m_updatable)
        return;
    const QString why = m_type == dbOpenSnapshot
                            ? QStringLiteral("快照类型的记录集只能读取。")
                            : QStringLiteral("查询没有可更新的基本表（单一的、有主键的表）。");
    throw Error(errNotUpdatable, kitDescription(errNotUpdatable, why));
}

void RecordsetImpl::dropPending()
{
    if (m_mode == Mode::Editing && m_ownsTransaction && m_database && m_database->isOpen())
        m_database->connection().rollback();
    m_mode = Mode::None;
    m_buffer.clear();
    m_editKey.clear();
    m_ownsTransaction = false;
}

void RecordsetImpl::AddNew()
{
    connection();
    requireUpdatable();
    dropPending();
    m_mode = Mode::Adding;
}

void RecordsetImpl::Edit()
{
    Connection &conn = connection();
    requireUpdatable();
    requireCurrent();
    dropPending();
    const QVariantList key = keyAt(m_pos);
    const bool postgres = conn.isPostgres();
    QStringList where;
    for (const QString &column : std::as_const(m_keyColumns))
        where.append(detail::quoteIdentifier(column, postgres) + QStringLiteral(" = ?"));
    // The row lock that Update or CancelUpdate releases: PostgreSQL locks the row and refuses at
    // once when another session holds it; SQLite's BEGIN IMMEDIATE takes the database's write lock.
    const QString sql = QStringLiteral("SELECT 1 FROM ") + m_parts.baseWritten +
                        QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND ")) +
                        (postgres ? QStringLiteral(" FOR UPDATE NOWAIT") : QString());
    const bool started = !conn.inTransaction();
    conn.begin();
    bool found = false;
    Row stored;
    try {
        QSqlQuery lock = conn.runInTransaction(sql, key, Activity::Writing);
        found = conn.next(lock, Activity::Writing);
        // Locked, the record is read again: what the caller reads and writes from here on is
        // what is stored, not what the recordset read before another user's change.
        found = found && readByKey(key, stored);
    } catch (...) {
        if (started)
            conn.rollback();
        throw;
    }
    if (!found) {
        if (started)
            conn.rollback();
        throw Error(errDeletedByOther, kitDescription(errDeletedByOther));
    }
    m_rows[m_pos] = std::move(stored);
    m_state[m_pos] = RowState::Read;
    m_mode = Mode::Editing;
    m_editKey = key;
    m_ownsTransaction = started;
}

void RecordsetImpl::Collect(const QString &name, const QVariant &value)
{
    connection();
    if (m_mode == Mode::None)
        throw Error(errNoPendingUpdate,
                    QStringLiteral("没有调用 AddNew 或 Edit，不能写字段“%1”。").arg(name));
    const bool isField = m_fieldByName.contains(name.toLower());
    const bool isBaseColumn = m_base && m_base->columnIndex(name) >= 0;
    if (!isField && !isBaseColumn)
        fieldIndex(name); // throws: no such field
    const QVariant stored = detail::normalized(value);
    for (auto &entry : m_buffer) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
            entry.second = stored;
            return;
        }
    }
    m_buffer.append({name, stored});
}

QList<QPair<int, QVariant>> RecordsetImpl::collectedBaseValues() const
{
    // Only the base table's own columns are written; a joined field (the account name of the
    // listing) is kept for reading back but never written.
    QList<QPair<int, QVariant>> values;
    for (const auto &entry : m_buffer) {
        const int field = m_fieldByName.value(entry.first.toLower(), -1);
        const int column =
            field >= 0 ? m_fieldBaseColumn.at(field) : m_base->columnIndex(entry.first);
        if (column < 0)
            continue;
        bool replaced = false;
        for (auto &v : values) {
            if (v.first == column) {
                v.second = entry.second;
                replaced = true;
            }
        }
        if (!replaced)
            values.append({column, entry.second});
    }
    return values;
}

void RecordsetImpl::checkLengths(const QList<QPair<int, QVariant>> &values) const
{
    // SQLite stores any length; the declared VARCHAR(n) is checked here, in characters as
    // PostgreSQL counts them.
    for (const auto &v : values) {
        if (v.second.isNull())
            continue;
        const QString column = m_base->columns.at(v.first);
        const int limit = m_base->maxChars.value(column.toLower(), 0);
        if (limit <= 0)
            continue;
        const qsizetype length = v.second.toString().toUcs4().size();
        if (length > limit)
            throw Error(
                errFieldTooLong,
                kitDescription(errFieldTooLong,
                               QStringLiteral("字段 %1 最多 %2 个字符，要写入的值有 %3 个。")
                                   .arg(column)
                                   .arg(limit)
                                   .arg(length)));
    }
}

void RecordsetImpl::Update()
{
    Connection &conn = connection();
    if (m_mode == Mode::None)
        throw Error(errNoPendingUpdate,
                    QStringLiteral("没有调用 AddNew 或 Edit 就调用了 Update。"));
    // The Edit's transaction, and with it the lock, went with a lost connection: the record may
    // have changed since, so the change is not written on a new connection as if still locked.
    if (m_mode == Mode::Editing && m_ownsTransaction && !conn.inTransaction()) {
        dropPending();
        throw Error(errConnectionLost, kitDescription(errConnectionLost));
    }
    const bool postgres = conn.isPostgres();
    const auto values = collectedBaseValues();
    if (!postgres) // PostgreSQL checks sizes itself (22001 -> 3163)
        checkLengths(values);

    QStringList columns;
    QVariantList binds;
    for (const auto &v : values) {
        columns.append(detail::quoteIdentifier(m_base->columns.at(v.first), postgres));
        binds.append(v.second);
    }

    if (m_mode == Mode::Adding) {
        const QString sql =
            columns.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_parts.baseWritten)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(m_parts.baseWritten, columns.join(QStringLiteral(", ")),
                           QStringList(columns.size(), QStringLiteral("?"))
                               .join(QStringLiteral(", ")));
        conn.run(sql, binds, Activity::Writing);
        afterInsert();
        m_mode = Mode::None;
        m_buffer.clear();
        return;
    }

    // Editing: UPDATE ... WHERE key = the key the record had when Edit began.
    if (!columns.isEmpty()) {
        QStringList where;
        for (const QString &column : std::as_const(m_keyColumns))
            where.append(detail::quoteIdentifier(column, postgres) + QStringLiteral(" = ?"));
        const QString sql =
            QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(m_parts.baseWritten,
                     columns.join(QStringLiteral(" = ?, ")) + QStringLiteral(" = ?"),
                     where.join(QStringLiteral(" AND ")));
        binds.append(m_editKey);
        int affected = 0;
        try {
            // Inside the Edit's transaction a failure rolls it back (and releases the lock); after
            // a failed Update the retry runs on its own.
            QSqlQuery q = m_ownsTransaction && conn.inTransaction()
                              ? conn.runInTransaction(sql, binds, Activity::Writing)
                              : conn.run(sql, binds, Activity::Writing);
            affected = q.numRowsAffected();
        } catch (...) {
            if (!conn.inTransaction())
                m_ownsTransaction = false;
            throw;
        }
        if (affected == 0) {
            if (m_ownsTransaction)
                conn.rollback();
            m_ownsTransaction = false;
            throw Error(errDeletedByOther, kitDescription(errDeletedByOther));
        }
    }
    if (m_ownsTransaction) {
        m_ownsTransaction = false;
        conn.commit();
    }
    afterEdit();
    m_mode = Mode::None;
    m_buffer.clear();
    m_editKey.clear();
}

void RecordsetImpl::afterInsert()
{
    // DAO: the new record joins the recordset (at its end until the next Requery); the current
    // record stays current, and EOF stays EOF.
    const auto values = collectedBaseValues();
    QVariantList key;
    for (const QString &column : std::as_const(m_keyColumns)) {
        const int index = m_base->columnIndex(column);
        bool found = false;
        for (const auto &v : values) {
            if (v.first == index) {
                key.append(v.second);
                found = true;
            }
        }
        if (!found)
            return; // a key the database made up: the record shows after the next Requery
    }
    const bool wasAfterLast = m_pos >= m_count;
    m_keys.append(key);
    m_rows.append(Row());
    m_state.append(RowState::NotRead);
    ++m_count;
    if (wasAfterLast)
        m_pos = m_count;
    m_keyIndex.clear();
    m_keyIndexBuilt = false;
    // Read it now, by key alone: it belongs to the recordset even when it does not meet the
    // query's conditions (DAO shows it until the next Requery). The write has succeeded: a
    // failure to read it back only leaves it to be read later.
    try {
        readAgain(m_count - 1);
    } catch (const Error &) {
        m_state[m_count - 1] = RowState::NotRead;
    }
}

void RecordsetImpl::afterEdit()
{
    if (m_pos < 0 || m_pos >= m_count)
        return;
    // The key may have changed; the row is read again when next needed.
    const auto values = collectedBaseValues();
    const int width = m_keyColumns.size();
    for (int k = 0; k < width; ++k) {
        const int index = m_base->columnIndex(m_keyColumns.at(k));
        for (const auto &v : values) {
            if (v.first == index)
                m_keys[m_pos * width + k] = v.second;
        }
    }
    m_keyIndex.clear();
    m_keyIndexBuilt = false;
    try {
        readAgain(m_pos);
    } catch (const Error &) {
        m_state[m_pos] = RowState::NotRead;
    }
}

void RecordsetImpl::CancelUpdate()
{
    dropPending();
}

void RecordsetImpl::DiscardChanges(long affectRecords)
{
    Q_UNUSED(affectRecords);
    dropPending();
}

} // namespace DataKit
