#include "Connection.h"

#include <QCoreApplication>

#include "KitText.h"
#include "SqlText.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>

namespace DataKit {

int TableInfo::columnIndex(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

Connection::Connection(QString name, bool postgres, QString target)
    : m_name(std::move(name))
    , m_postgres(postgres)
    , m_target(std::move(target))
{
}

Connection::~Connection()
{
    close();
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void Connection::close()
{
    // A database still referenced when the process ends is released after Qt SQL's own registry
    // is gone; the process closes the connection then anyway.
    if (!QCoreApplication::instance())
        return;
    if (m_open) {
        rollback();
        QSqlDatabase db = database();
        db.close();
        m_open = false;
    }
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
    m_tables.clear();
}

QSqlQuery Connection::execute(const QString &sql, const QVariantList &binds, Activity activity,
                              bool savepoint)
{
    ensureConnected();
    QSqlDatabase db = database();
    const bool guard = savepoint && m_postgres && m_inTransaction;
    if (guard)
        control(QStringLiteral("SAVEPOINT kv_statement"), activity);
    QSqlQuery q(db);
    // Under a savepoint the rows are read in full now: releasing the savepoint is a statement of
    // its own, and the driver would drop the rows a forward-only query had not fetched yet.
    q.setForwardOnly(!guard);
    bool ok;
    if (binds.isEmpty()) {
        ok = q.exec(sql);
    } else {
        ok = q.prepare(sql);
        if (ok) {
            for (const QVariant &v : binds)
                q.addBindValue(v);
            ok = q.exec();
        }
    }
    if (!ok) {
        const QSqlError error = q.lastError();
        q.finish();
        failed(error, activity, guard, savepoint);
    }
    if (guard)
        control(QStringLiteral("RELEASE SAVEPOINT kv_statement"), activity);
    return q;
}

void Connection::failed(const QSqlError &error, Activity activity, bool guard, bool savepoint)
{
    if (lostBy(error)) {
        markLost();
        raiseLost(engineText(error));
    }
    // The failed statement is released only once the transaction is usable again: PostgreSQL
    // refuses to free a prepared statement inside an aborted transaction, and it would stay on
    // the server for the rest of the session.
    if (guard) {
        QSqlQuery sp(database());
        if (sp.exec(QStringLiteral("ROLLBACK TO SAVEPOINT kv_statement")))
            sp.exec(QStringLiteral("RELEASE SAVEPOINT kv_statement"));
        else
            rollback();
    } else if (m_inTransaction && (m_postgres || !savepoint)) {
        // PostgreSQL: the failure aborted the transaction (55P03 included). The kit's own
        // statements of an Edit: their failure ends the Edit's transaction on both engines.
        rollback();
    }
    throw mapError(error, m_postgres, activity);
}

QString Connection::placeholder(int n) const
{
    return m_postgres ? QStringLiteral("$%1").arg(n) : QStringLiteral("?");
}

QSqlQuery Connection::run(const QString &sql, const QVariantList &binds, Activity activity)
{
    return execute(sql, binds, activity, true);
}

QSqlQuery Connection::runInTransaction(const QString &sql, const QVariantList &binds,
                                       Activity activity)
{
    return execute(sql, binds, activity, false);
}

void Connection::raise(const QSqlError &error, Activity activity)
{
    if (lostBy(error)) {
        markLost();
        raiseLost(engineText(error));
    }
    // On PostgreSQL any failure inside a transaction aborts it: roll it back so the connection is
    // usable again.
    if (m_inTransaction && m_postgres)
        rollback();
    throw mapError(error, m_postgres, activity);
}

bool Connection::next(QSqlQuery &query, Activity activity)
{
    if (query.next())
        return true;
    if (query.lastError().type() != QSqlError::NoError)
        raise(query.lastError(), activity);
    return false;
}

void Connection::control(const QString &sql, Activity activity)
{
    QSqlQuery q(database());
    if (!q.exec(sql))
        raise(q.lastError(), activity);
}

void Connection::begin()
{
    ensureConnected();
    if (m_inTransaction)
        return;
    // BEGIN IMMEDIATE takes SQLite's write lock now: another writer's hold shows up here as busy.
    control(m_postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"),
            Activity::Writing);
    m_inTransaction = true;
}

void Connection::commit()
{
    if (!m_inTransaction)
        return;
    ensureConnected();
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = q.lastError();
        q = QSqlQuery();
        rollback();
        raise(error, Activity::Writing);
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
    QSqlQuery q(database());
    q.exec(QStringLiteral("ROLLBACK"));
}

QString Connection::literal(const QVariant &value) const
{
    if (value.isNull())
        return QStringLiteral("NULL");
    QSqlField field(QString(), value.metaType());
    field.setValue(value);
    return database().driver()->formatValue(field);
}

std::shared_ptr<const TableInfo> Connection::tableInfo(const QString &table, bool quoted)
{
    // PostgreSQL folds unquoted names to lower case and its catalogue wants them that way.
    const QString lookup = (m_postgres && !quoted) ? table.toLower() : table;
    const QString cacheKey = (quoted ? QStringLiteral("q:") : QStringLiteral("u:")) +
                             (m_postgres ? lookup : lookup.toLower());
    if (auto found = m_tables.value(cacheKey))
        return found;

    ensureConnected();
    auto info = std::make_shared<TableInfo>();
    if (m_postgres) {
        // Columns in their order, declared text sizes (the server checks them itself, 22001; the
        // kit's own check uses the same numbers) and the primary key's place of each, in one read
        // of the catalogue: Qt's record() and primaryIndex() and the information schema would be
        // five round trips, the last a slow view.
        QSqlQuery q =
            run(QStringLiteral(
                    "SELECT a.attname, CASE WHEN a.atttypid IN (1042, 1043) AND a.atttypmod > 4 "
                    "THEN a.atttypmod - 4 END, array_position(i.indkey::int2[], a.attnum) "
                    "FROM pg_attribute a LEFT JOIN pg_index i ON i.indrelid = a.attrelid AND "
                    "i.indisprimary WHERE a.attrelid = to_regclass(quote_ident(%1)) AND "
                    "a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum")
                    .arg(literal(lookup)),
                {}, Activity::Reading);
        QList<QPair<int, QString>> key;
        while (next(q)) {
            const QString column = q.value(0).toString();
            info->columns.append(column);
            if (!q.isNull(1))
                info->maxChars.insert(column.toLower(), q.value(1).toInt());
            if (!q.isNull(2))
                key.append({q.value(2).toInt(), column});
        }
        std::sort(key.begin(), key.end());
        for (const auto &k : key)
            info->keyColumns.append(k.second);
    } else {
        QSqlQuery q(database());
        q.setForwardOnly(true);
        if (q.exec(QStringLiteral("PRAGMA table_info(%1)")
                       .arg(detail::quoteIdentifier(lookup, false)))) {
            static const QRegularExpression sized(QStringLiteral("CHAR[A-Z ]*\\(\\s*(\\d+)\\s*\\)"),
                                                  QRegularExpression::CaseInsensitiveOption);
            QList<QPair<int, QString>> key;
            while (next(q)) {
                const QString column = q.value(1).toString();
                info->columns.append(column);
                const auto m = sized.match(q.value(2).toString());
                if (m.hasMatch())
                    info->maxChars.insert(column.toLower(), m.captured(1).toInt());
                const int keyPosition = q.value(5).toInt();
                if (keyPosition > 0)
                    key.append({keyPosition, column});
            }
            std::sort(key.begin(), key.end());
            for (const auto &k : key)
                info->keyColumns.append(k.second);
        }
    }
    info->exists = !info->columns.isEmpty();
    m_tables.insert(cacheKey, info);
    return info;
}

} // namespace DataKit
