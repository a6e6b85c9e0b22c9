#include "Connection.h"

#include "Engine.h"
#include "KitLog.h"
#include "KitText.h"

namespace DataKit {

int TableInfo::columnIndex(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

Connection::Connection(std::unique_ptr<Engine> engine)
    : m_engine(std::move(engine))
{
}

Connection::~Connection()
{
    close();
}

void Connection::close()
{
    if (m_open) {
        rollback();
        m_engine->close();
        m_open = false;
    }
    m_callerTransaction = false;
    m_tables.clear();
}

void Connection::run(Activity activity, bool savepoint, const std::function<Failure()> &statement)
{
    ensureConnected();
    const bool guard = savepoint && m_inTransaction && m_engine->failureAbortsTransaction();
    if (guard)
        control(QStringLiteral("SAVEPOINT kv_statement"), activity);
    if (const Failure failure = statement())
        failed(*failure, activity, guard, savepoint);
    if (guard)
        control(QStringLiteral("RELEASE SAVEPOINT kv_statement"), activity);
}

Rows Connection::select(const QString &sql, const QVariantList &binds, Activity activity,
                        bool savepoint)
{
    Rows result;
    const RowSink sink{[&](const QStringList &names) { result.names = names; },
                       [&](const FieldText *fields, const CellKind *kinds) {
                           QVector<QVariant> row(result.names.size());
                           for (qsizetype i = 0; i < row.size(); ++i)
                               row[i] = cellValue(fields[i], kinds[i]);
                           result.rows.append(std::move(row));
                       }};
    run(activity, savepoint, [&] { return m_engine->read(sql, binds, sink); });
    return result;
}

int Connection::write(const QString &sql, const QVariantList &binds, Activity activity,
                      bool savepoint)
{
    long affected = 0;
    run(activity, savepoint, [&] { return m_engine->write(sql, binds, &affected); });
    return int(affected);
}

void Connection::readRows(const QString &sql, const QVariantList &binds, const RowReader &row)
{
    const RowSink sink{{}, [&](const FieldText *values, const CellKind *) { row(values); }};
    run(Activity::Reading, true, [&] { return m_engine->read(sql, binds, sink); });
}

long Connection::execute(const QString &sql)
{
    long affected = 0;
    run(Activity::Writing, true, [&] { return m_engine->write(sql, {}, &affected); });
    return affected;
}

void Connection::failed(const EngineFailure &error, Activity activity, bool guard, bool savepoint)
{
    if (m_engine->lostBy(error)) {
        markLost();
        raiseLost(error.text);
    }
    if (guard) {
        long affected = 0;
        if (m_engine->write(QStringLiteral("ROLLBACK TO SAVEPOINT kv_statement"), {}, &affected) ||
            m_engine->write(QStringLiteral("RELEASE SAVEPOINT kv_statement"), {}, &affected)) {
            qCWarning(lcDataKit) << "the savepoint could not be rolled back; the transaction is";
            rollback();
        }
    } else if (m_inTransaction && (m_engine->failureAbortsTransaction() || !savepoint)) {
        // The failure aborted the transaction (PostgreSQL, 55P03 included), or it was one of the
        // kit's own statements of an Edit, whose failure ends the Edit's transaction.
        rollback();
    }
    throw m_engine->mapError(error, activity);
}

void Connection::control(const QString &sql, Activity activity)
{
    long affected = 0;
    if (const Failure failure = m_engine->write(sql, {}, &affected)) {
        if (m_engine->lostBy(*failure)) {
            markLost();
            raiseLost(failure->text);
        }
        if (m_inTransaction && m_engine->failureAbortsTransaction())
            rollback();
        throw m_engine->mapError(*failure, activity);
    }
}

void Connection::begin()
{
    ensureConnected();
    if (m_inTransaction)
        return;
    // SQLite's BEGIN IMMEDIATE takes the write lock now: another writer's hold shows up as busy.
    control(m_engine->beginStatement(), Activity::Writing);
    m_inTransaction = true;
}

void Connection::commit()
{
    if (!m_inTransaction)
        return;
    ensureConnected();
    long affected = 0;
    if (const Failure failure = m_engine->write(QStringLiteral("COMMIT"), {}, &affected)) {
        rollback();
        failed(*failure, Activity::Writing, false, true);
    }
    m_inTransaction = false;
}

void Connection::rollback() noexcept
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    if (!m_open || m_lost)
        return;
    long affected = 0;
    if (const Failure failure = m_engine->write(QStringLiteral("ROLLBACK"), {}, &affected))
        qCWarning(lcDataKit).noquote() << "ROLLBACK failed:" << failure->text;
}

void Connection::beginCaller()
{
    if (m_callerTransaction)
        throw Error(errNoTransaction,
                    kitDescription(errNoTransaction, QStringLiteral("已经有一个事务，不能嵌套。")));
    begin();
    m_callerTransaction = true;
}

void Connection::commitCaller()
{
    if (!m_callerTransaction)
        throw Error(errNoTransaction, kitDescription(errNoTransaction));
    m_callerTransaction = false;
    if (!m_inTransaction)
        throw Error(errNoTransaction,
                    kitDescription(errNoTransaction,
                                   QStringLiteral("事务已因之前的错误被回滚，什么也没有提交。")));
    commit();
}

void Connection::rollbackCaller()
{
    if (!m_callerTransaction)
        throw Error(errNoTransaction, kitDescription(errNoTransaction));
    m_callerTransaction = false;
    rollback();
}

std::shared_ptr<const TableInfo> Connection::tableInfo(const QString &table, bool quoted)
{
    const QString cacheKey = (quoted ? QStringLiteral("q:") : QStringLiteral("u:")) +
                             m_engine->catalogName(table, quoted);
    if (auto found = m_tables.value(cacheKey))
        return found;
    auto info = std::make_shared<TableInfo>(m_engine->readTableInfo(*this, table, quoted));
    info->exists = !info->columns.isEmpty();
    m_tables.insert(cacheKey, info);
    return info;
}

} // namespace DataKit
