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

std::optional<Error> TableInfo::tooLong(int column, const QVariant &value) const
{
    const int limit = maxChars.value(columns.at(column).toLower(), 0);
    if (value.isNull() || limit <= 0)
        return std::nullopt;
    const qsizetype length = value.toString().toUcs4().size();
    if (length <= limit)
        return std::nullopt;
    return Error(errFieldTooLong,
                 kitDescription(errFieldTooLong,
                                QStringLiteral("字段 %1 最多 %2 个字符，要写入的值有 %3 个。")
                                    .arg(columns.at(column))
                                    .arg(limit)
                                    .arg(length)));
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

RowSink rowsInto(Rows &rows)
{
    return RowSink{[&rows](const QStringList &names) { rows.names = names; },
                   [&rows](const FieldText *fields, const CellKind *kinds) {
                       QVector<QVariant> row(rows.names.size());
                       for (qsizetype i = 0; i < row.size(); ++i)
                           row[i] = cellValue(fields[i], kinds[i]);
                       rows.rows.append(std::move(row));
                   }};
}

namespace {

BatchStatement statementOf(const QString &sql, const QVariantList &binds = {},
                           const RowSink *rows = nullptr)
{
    BatchStatement statement;
    statement.sql = sql;
    statement.binds = binds;
    statement.rows = rows;
    return statement;
}

} // namespace

void Connection::run(Activity activity, bool savepoint, BatchStatement &statement, bool script)
{
    ensureConnected();
    QList<BatchStatement> statements{statement};
    QList<Role> roles{Role::Statement};
    if (savepoint && m_inTransaction && m_engine->failureAbortsTransaction()) {
        statements = {statementOf(QStringLiteral("SAVEPOINT kv_statement")), statement,
                      statementOf(QStringLiteral("RELEASE SAVEPOINT kv_statement"))};
        roles = {Role::Savepoint, Role::Statement, Role::Release};
    }
    exchange(statements, roles, activity, savepoint, script);
    statement.affected = statements.at(roles.indexOf(Role::Statement)).affected;
}

void Connection::exchange(QList<BatchStatement> &statements, const QList<Role> &roles,
                          Activity activity, bool savepoint, bool script)
{
    qsizetype failedAt = statements.size();
    const Failure failure = script ? runInTurn(*m_engine, statements, &failedAt)
                                   : m_engine->batch(statements, &failedAt);
    bool guard = false;
    for (qsizetype i = 0; i < failedAt; ++i) {
        if (roles.at(i) == Role::Begin)
            m_inTransaction = true;
        else if (roles.at(i) == Role::Commit)
            m_inTransaction = false;
        guard = guard || roles.at(i) == Role::Savepoint;
    }
    if (!failure)
        return;
    switch (roles.at(failedAt)) {
    case Role::Statement:
        failed(*failure, activity, guard, savepoint);
    case Role::Commit:
        rollback();
        failed(*failure, Activity::Writing, false, true);
    default:
        controlFailed(*failure, activity);
    }
}

Rows Connection::select(const QString &sql, const QVariantList &binds, Activity activity,
                        bool savepoint)
{
    Rows result;
    const RowSink sink = rowsInto(result);
    BatchStatement statement = statementOf(sql, binds, &sink);
    run(activity, savepoint, statement);
    return result;
}

int Connection::write(const QString &sql, const QVariantList &binds, Activity activity,
                      bool savepoint)
{
    BatchStatement statement = statementOf(sql, binds);
    run(activity, savepoint, statement);
    return int(statement.affected);
}

void Connection::readRows(const QString &sql, const QVariantList &binds, const RowReader &row)
{
    const RowSink sink{{}, [&](const FieldText *values, const CellKind *) { row(values); }};
    BatchStatement statement = statementOf(sql, binds, &sink);
    run(Activity::Reading, true, statement);
}

long Connection::execute(const QString &sql)
{
    BatchStatement statement = statementOf(sql);
    run(Activity::Writing, true, statement, true);
    return statement.affected;
}

void Connection::transact(QList<BatchStatement> &statements, bool commit)
{
    ensureConnected();
    QList<BatchStatement> all;
    QList<Role> roles;
    if (!m_inTransaction) {
        all.append(statementOf(m_engine->beginStatement()));
        roles.append(Role::Begin);
    }
    const qsizetype first = all.size();
    all.append(statements);
    roles.append(QList<Role>(statements.size(), Role::Statement));
    if (commit) {
        all.append(statementOf(QStringLiteral("COMMIT")));
        roles.append(Role::Commit);
    }
    exchange(all, roles, Activity::Writing, false, false);
    for (qsizetype i = 0; i < statements.size(); ++i)
        statements[i].affected = all.at(first + i).affected;
}

long Connection::copyRows(const QString &table, const QStringList &columns,
                          const QList<QVariantList> &rows)
{
    ensureConnected();
    long affected = 0;
    if (const Failure failure = m_engine->copyRows(table, columns, rows, &affected))
        failed(*failure, Activity::Writing, false, false);
    return affected;
}

void Connection::failed(const EngineFailure &error, Activity activity, bool guard, bool savepoint)
{
    if (m_engine->lostBy(error)) {
        markLost();
        raiseLost(error.text);
    }
    if (guard) {
        QList<BatchStatement> undo{
            statementOf(QStringLiteral("ROLLBACK TO SAVEPOINT kv_statement")),
            statementOf(QStringLiteral("RELEASE SAVEPOINT kv_statement"))};
        qsizetype failedAt = 0;
        if (m_engine->batch(undo, &failedAt)) {
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
    if (const Failure failure = m_engine->write(sql, {}, &affected))
        controlFailed(*failure, activity);
}

void Connection::controlFailed(const EngineFailure &error, Activity activity)
{
    if (m_engine->lostBy(error)) {
        markLost();
        raiseLost(error.text);
    }
    if (m_inTransaction && m_engine->failureAbortsTransaction())
        rollback();
    throw m_engine->mapError(error, activity);
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
