// PostgreSQL: opening the session and the SQL it is spoken to in. Its statements: PostgresRows.cpp.
#include "PostgresEngine.h"

#include "ErrorMapping.h"
#include "KitLog.h"
#include "KitText.h"
#include "SqlText.h"

#include <QUrl>

#include <libpq-fe.h>

namespace DataKit {

PostgresEngine::PostgresEngine(QString url)
    : m_url(std::move(url))
{
    const QUrl parsed(m_url);
    if (!parsed.isValid())
        throw Error(errCannotOpen,
                    cannotOpenDescription(shown(),
                                          QStringLiteral("地址无效（应为 postgresql://[user@][host]"
                                                         "[:port][/dbname][?service=name]）。")));
    m_params = postgresParams(parsed);
}

QString PostgresEngine::shown() const
{
    return QUrl(m_url).toDisplayString(QUrl::RemovePassword);
}

void PostgresEngine::open()
{
    const PostgresParamArrays arrays(m_params);
    m_conn = PQconnectdbParams(arrays.keys.data(), arrays.values.data(), 0);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString detail = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        close();
        throw postgresOpenFailure(m_params, shown(), detail);
    }
    routePostgresNotices(m_conn);
    requireSafeSession();
    long affected = 0;
    // A table another session holds in ACCESS EXCLUSIVE mode makes a read wait this long, then
    // fail with 55P03 (3261); a locked row makes a write fail the same way (3260).
    if (const Failure failure = write(QStringLiteral("SET lock_timeout = '1500ms'"), {}, &affected))
        throw mapError(*failure, Activity::Reading);
    // The server's notices (a DROP ... CASCADE) are not the users' business.
    if (const Failure failure =
            write(QStringLiteral("SET client_min_messages = warning"), {}, &affected))
        qCWarning(lcDataKit).noquote() << "client_min_messages not set:" << failure->text;
}

void PostgresEngine::requireSafeSession()
{
    // The session was opened asking for both; a server or a pooler in between that did not grant
    // them would let a backslash in a quoted value end its quotes.
    QStringList settings;
    const Failure failure =
        read(QStringLiteral(
                 "SELECT current_setting('standard_conforming_strings'), "
                 "pg_encoding_to_char(pg_char_to_encoding(current_setting('client_encoding')))"),
             {}, RowSink{{}, [&](const FieldText *fields, const CellKind *) {
                             settings = {QString::fromUtf8(fields[0].bytes()),
                                         QString::fromUtf8(fields[1].bytes())};
                         }});
    if (!failure && settings == QStringList{QStringLiteral("on"), QStringLiteral("UTF8")})
        return;
    const QString detail =
        failure ? failure->text
                : QStringLiteral("standard_conforming_strings=%1, client_encoding=%2")
                      .arg(settings.value(0), settings.value(1));
    throw Error(errCannotOpen,
                cannotOpenDescription(
                    shown(), QStringLiteral("数据库服务器不接受安全的会话设置（standard_conforming_"
                                            "strings=on、client_encoding=UTF8），为防止输入的值被"
                                            "当作 SQL 执行，没有使用这个连接。")),
                detail);
}

void PostgresEngine::close() noexcept
{
    PQfinish(m_conn);
    m_conn = nullptr;
}

bool PostgresEngine::lostBy(const EngineFailure &error) const
{
    // The server says so (its SQLSTATE), or the link broke under a failure whose cause it could
    // not read.
    return postgresErrorNumber(error.code, Activity::Reading) == errConnectionLost || !m_conn ||
           PQstatus(m_conn) == CONNECTION_BAD;
}

QString PostgresEngine::placeholder(int n) const
{
    return QStringLiteral("$%1").arg(n);
}

QString PostgresEngine::quoteIdentifier(const QString &name) const
{
    return detail::quoteIdentifier(name, true);
}

// The base table's row only: a joined table's rows stay free for other users.
QString PostgresEngine::rowLockClause(const QString &table) const
{
    return QStringLiteral(" FOR UPDATE OF ") + table + QStringLiteral(" NOWAIT");
}

// PostgreSQL folds unquoted names to lower case and its catalogue wants them that way.
QString PostgresEngine::catalogName(const QString &table, bool quoted) const
{
    return quoted ? table : table.toLower();
}

// The server's own counts of the rows each table has had added, changed and deleted: one small
// read, no table touched. Another session's counts arrive after its transaction, within a second.
qint64 PostgresEngine::changeCount(Connection &conn, const QString &table) const
{
    const Rows rows =
        conn.select(QStringLiteral("SELECT coalesce(sum(n_tup_ins + n_tup_upd + n_tup_del), 0) "
                                   "FROM pg_stat_user_tables WHERE relname = $1"),
                    {catalogName(table, false)}, Activity::Reading);
    return rows.rows.isEmpty() ? 0 : rows.rows.front().at(0).toLongLong();
}

TableInfo PostgresEngine::readTableInfo(Connection &conn, const QString &table, bool quoted) const
{
    // Columns in their order, declared text sizes (the server checks them itself, 22001; the kit's
    // own check uses the same numbers) and the primary key's place of each, in one read of the
    // catalogue: the information schema would take several round trips, through a slow view.
    const Rows columns = conn.select(
        QStringLiteral("SELECT a.attname, CASE WHEN a.atttypid IN (1042, 1043) AND a.atttypmod > 4 "
                       "THEN a.atttypmod - 4 END, array_position(i.indkey::int2[], a.attnum) "
                       "FROM pg_attribute a LEFT JOIN pg_index i ON i.indrelid = a.attrelid AND "
                       "i.indisprimary WHERE a.attrelid = to_regclass(quote_ident($1)) AND "
                       "a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"),
        {catalogName(table, quoted)}, Activity::Reading);
    TableInfo info;
    QList<QPair<int, QString>> key;
    for (const auto &row : columns.rows) {
        const QString column = row.at(0).toString();
        info.columns.append(column);
        if (!row.at(1).isNull())
            info.maxChars.insert(column.toLower(), row.at(1).toInt());
        if (!row.at(2).isNull())
            key.append({row.at(2).toInt(), column});
    }
    std::sort(key.begin(), key.end());
    for (const auto &k : key)
        info.keyColumns.append(k.second);
    return info;
}

Error PostgresEngine::mapError(const EngineFailure &error, Activity activity) const
{
    const long number = postgresErrorNumber(error.code, activity);
    return Error(number, kitDescription(number), error.text);
}

} // namespace DataKit
