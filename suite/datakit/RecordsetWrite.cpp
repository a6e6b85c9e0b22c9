// Writing: AddNew/Edit/Collect/Update and their cancellation.
#include "RecordsetImpl.h"

#include "DatabaseAccess.h"
#include "Engine.h"
#include "KitLog.h"
#include "KitText.h"

#include <algorithm>

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
        detail::DatabaseAccess::connection(*m_database).rollback();
    m_mode = Mode::None;
    m_buffer.clear();
    m_editKey.clear();
    m_ownsTransaction = false;
    m_lockDeferred = false;
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
    const Connection &conn = connection();
    requireUpdatable();
    requireCurrent();
    dropPending();
    const QVariantList key = m_walk ? currentKey() : m_rows.at(m_pos).mid(m_fieldNames.size());
    if (m_lockEdits || conn.inTransaction()) {
        lockRecord(key);
        return;
    }
    m_mode = Mode::Editing;
    m_editKey = key;
    m_lockDeferred = true;
}

QString RecordsetImpl::lockText(const QVariantList &key, QVariantList &binds) const
{
    Conditions conds;
    addKeyConditions(key, conds);
    binds = conds.binds;
    return selectText(fullList(), false, conds.texts, QString(), QString(), false) +
           connection().engine().rowLockClause(
               m_parts.baseAlias.isEmpty() ? m_parts.baseWritten.section(QLatin1Char('.'), -1)
                                           : m_parts.baseQualifier);
}

void RecordsetImpl::lockRecord(const QVariantList &key)
{
    // The record is read again under the row lock that Update or CancelUpdate releases, so that
    // what the caller reads and writes from here on is what is stored, not what the recordset read
    // before another user's change. PostgreSQL locks the base table's row and refuses at once when
    // another session holds it; SQLite's BEGIN IMMEDIATE takes the database's write lock. A failure
    // ends the transaction.
    Connection &conn = connection();
    Rows read;
    const RowSink sink = rowsInto(read);
    QList<BatchStatement> lock(1);
    lock[0].sql = lockText(key, lock[0].binds);
    lock[0].rows = &sink;
    const bool started = !conn.inTransaction();
    conn.transact(lock, false);
    if (read.rows.isEmpty()) {
        if (started)
            conn.rollback();
        throw Error(errDeletedByOther, kitDescription(errDeletedByOther));
    }
    if (m_walk) {
        stand(std::move(read.rows.first()));
    } else {
        m_rows[m_pos] = std::move(read.rows.first());
    }
    m_mode = Mode::Editing;
    m_editKey = key;
    m_ownsTransaction = started;
    m_lockDeferred = false;
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

std::optional<Error> RecordsetImpl::lengthError(const QList<QPair<int, QVariant>> &values) const
{
    for (const auto &v : values) {
        if (std::optional<Error> error = m_base->tooLong(v.first, v.second))
            return error;
    }
    return std::nullopt;
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
    const auto values = collectedBaseValues();
    const std::optional<Error> tooLong = lengthError(values);
    // With nothing to write, or a value too long, the deferred lock is taken first: what it tells
    // (3260 another user holds the record, 3167 it is gone) comes first, as after Edit's own.
    if (m_lockDeferred && (values.isEmpty() || tooLong))
        lockRecord(m_editKey);
    if (tooLong)
        throw *tooLong;

    QVariantList binds;
    QStringList columns;
    QStringList placed;
    for (const auto &v : values) {
        columns.append(conn.engine().quoteIdentifier(m_base->columns.at(v.first)));
        placed.append(bound(binds, v.second));
    }

    if (m_mode == Mode::Adding) {
        const QString sql =
            columns.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_parts.baseWritten)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(m_parts.baseWritten, columns.join(QStringLiteral(", ")),
                           placed.join(QStringLiteral(", ")));
        conn.write(sql, binds, Activity::Writing, true);
        afterInsert();
        m_mode = Mode::None;
        m_buffer.clear();
        return;
    }

    // Editing: UPDATE ... WHERE key = the key the record had when Edit began.
    if (!columns.isEmpty()) {
        QStringList set;
        for (qsizetype i = 0; i < columns.size(); ++i)
            set.append(columns.at(i) + QStringLiteral(" = ") + placed.at(i));
        QStringList where;
        for (qsizetype k = 0; k < m_keyColumns.size(); ++k)
            where.append(
                equals(conn.engine().quoteIdentifier(m_keyColumns.at(k)), binds, m_editKey.at(k)));
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                .arg(m_parts.baseWritten, set.join(QStringLiteral(", ")),
                                     where.join(QStringLiteral(" AND ")));
        if (writeEdit(sql, binds) == 0)
            throw Error(errDeletedByOther, kitDescription(errDeletedByOther));
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

int RecordsetImpl::writeEdit(const QString &sql, const QVariantList &binds)
{
    Connection &conn = connection();
    QList<BatchStatement> statements(1);
    statements[0].sql = sql;
    statements[0].binds = binds;
    if (m_lockDeferred) {
        // The lock, the write and the commit in one exchange: a record another user holds is
        // refused at once, one that is gone leaves the write nothing to change.
        statements.prepend(BatchStatement());
        statements[0].sql = lockText(m_editKey, statements[0].binds);
        conn.transact(statements, true);
        return int(statements.last().affected);
    }
    const bool own = m_ownsTransaction && conn.inTransaction();
    m_ownsTransaction = false;
    if (own) {
        // Committed with the write: a failure rolls the Edit's transaction back (and releases the
        // lock), a write that changed nothing commits nothing.
        conn.transact(statements, true);
        return int(statements.last().affected);
    }
    // In the caller's transaction; or, after a failed Update, on its own.
    return conn.write(sql, binds, Activity::Writing, true);
}

QVariantList RecordsetImpl::collectedKey() const
{
    const auto values = collectedBaseValues();
    QVariantList key;
    for (const QString &column : std::as_const(m_keyColumns)) {
        const int index = m_base->columnIndex(column);
        const auto value = std::find_if(values.begin(), values.end(),
                                        [index](const auto &v) { return v.first == index; });
        if (value == values.end())
            return {};
        key.append(value->second);
    }
    return key;
}

// DAO: the new record joins the recordset, even when it does not meet the query's conditions,
// until the next Requery (read whole: at its end); the current record stays current, and EOF
// stays EOF. A key the database made up leaves the record to the next Requery.
void RecordsetImpl::afterInsert()
{
    const QVariantList key = collectedKey();
    if (key.isEmpty())
        return;
    if (m_walk) {
        m_walkState.written.append(key.first());
        if (m_walkState.count >= 0)
            ++m_walkState.count;
        m_walkState.emptiness = Emptiness::NotEmpty;
        return;
    }
    // The write has succeeded: a failure to read it back only leaves it to the next Requery.
    Row row;
    try {
        if (!readByKey(key, row))
            return;
    } catch (const Error &error) {
        qCWarning(lcDataKit) << "added record not read back:" << error.what();
        return;
    }
    const bool wasAfterLast = m_pos >= m_rows.size();
    m_rows.append(row);
    if (wasAfterLast)
        m_pos = int(m_rows.size());
}

// The record stays current under its new key, in the recordset until the next Requery whether or
// not it still meets the conditions; its fields are read again, as stored, when next asked for.
void RecordsetImpl::afterEdit()
{
    const QVariantList changedKey = collectedKey();
    if (m_walk) {
        if (m_walkState.place != Place::OnRecord)
            return;
        if (!changedKey.isEmpty())
            m_walkState.row[m_fieldNames.size()] = changedKey.first();
        m_walkState.written.append(currentKey().first());
        m_walkState.reread = true;
        return;
    }
    if (m_pos < 0 || m_pos >= m_rows.size())
        return;
    Row &row = m_rows[m_pos];
    const auto values = collectedBaseValues();
    for (qsizetype k = 0; k < m_keyColumns.size(); ++k) {
        const int index = m_base->columnIndex(m_keyColumns.at(k));
        for (const auto &v : values) {
            if (v.first == index)
                row[m_fieldNames.size() + k] = v.second;
        }
    }
    try {
        Row stored;
        if (readByKey(row.mid(m_fieldNames.size()), stored))
            row = std::move(stored);
    } catch (const Error &error) {
        // Written; what is shown is read again at the next Requery.
        qCWarning(lcDataKit) << "edited record not read back:" << error.what();
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
