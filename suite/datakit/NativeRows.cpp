// The engines' own C interfaces (the same libraries Qt's SQL drivers are built on, reached through
// the driver's handle), for the kit's bulk reads and PostgreSQL's writes.
#include "Connection.h"

#include "PostgresSession.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QVarLengthArray>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <vector>

namespace DataKit {

namespace {

using FieldTexts = QVarLengthArray<FieldText, 8>;

// The driver's handle when it is of the type named (PGconn is Qt's pg_conn*).
template <typename Handle>
Handle *driverHandle(const QSqlDatabase &db, std::initializer_list<const char *> typeNames)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid())
        return nullptr;
    for (const char *name : typeNames) {
        if (qstrcmp(handle.typeName(), name) == 0)
            return *static_cast<Handle *const *>(handle.constData());
    }
    return nullptr;
}

struct SqliteStatement
{
    sqlite3_stmt *statement = nullptr;
    ~SqliteStatement() { sqlite3_finalize(statement); }
};

// The results of a query sent to the server, all taken and cleared however the reading ends: the
// connection takes no other statement while any is left.
struct PostgresResults
{
    PGconn *connection;
    PGresult *result = nullptr;
    ~PostgresResults()
    {
        PQclear(result);
        while (PGresult *rest = PQgetResult(connection))
            PQclear(rest);
    }
};

QSqlError engineError(const char *text, const QString &code)
{
    return QSqlError(QString(), QString::fromUtf8(text).trimmed(), QSqlError::StatementError, code);
}

} // namespace

PGconn *postgresHandle(const QSqlDatabase &db)
{
    return driverHandle<PGconn>(db, {"PGconn*", "pg_conn*"});
}

void Connection::readRows(const QString &sql, int fields, const RowReader &row)
{
    ensureConnected();
    // Inside a transaction a PostgreSQL statement needs the kit's savepoint: Qt SQL reads then.
    if (!m_inTransaction) {
        const QByteArray text = sql.toUtf8();
        if (m_postgres ? readPostgresRows(text, fields, row) : readSqliteRows(text, fields, row))
            return;
    }
    QSqlQuery q = run(sql, {}, Activity::Reading);
    QVarLengthArray<QByteArray, 8> texts(fields);
    FieldTexts values(fields);
    while (next(q)) {
        for (int i = 0; i < fields; ++i) {
            const QVariant value = q.value(i);
            if (value.isNull()) {
                values[i] = FieldText();
                continue;
            }
            texts[i] = value.toString().toUtf8();
            values[i] = FieldText{texts[i].constData(), texts[i].size()};
        }
        row(values.constData());
    }
}

bool Connection::readSqliteRows(const QByteArray &sql, int fields, const RowReader &row)
{
    sqlite3 *db = driverHandle<sqlite3>(database(), {"sqlite3*"});
    if (!db)
        return false;
    SqliteStatement query;
    int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &query.statement, nullptr);
    FieldTexts values(fields);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(query.statement)) == SQLITE_ROW) {
            for (int i = 0; i < fields; ++i) {
                if (sqlite3_column_type(query.statement, i) == SQLITE_NULL) {
                    values[i] = FieldText();
                    continue;
                }
                const auto *text = sqlite3_column_text(query.statement, i);
                values[i] = FieldText{reinterpret_cast<const char *>(text),
                                      sqlite3_column_bytes(query.statement, i)};
            }
            row(values.constData());
        }
    }
    if (rc != SQLITE_DONE)
        raise(engineError(sqlite3_errmsg(db), QString::number(sqlite3_extended_errcode(db))),
              Activity::Reading);
    return true;
}

bool Connection::readPostgresRows(const QByteArray &sql, int fields, const RowReader &row)
{
    PGconn *conn = postgresHandle(database());
    if (!conn)
        return false;
    // Whatever an earlier statement left unread would make the server refuse this one.
    while (PGresult *rest = PQgetResult(conn))
        PQclear(rest);
    if (!PQsendQuery(conn, sql.constData())) {
        if (PQstatus(conn) == CONNECTION_BAD) {
            markLost();
            raiseLost(QString::fromUtf8(PQerrorMessage(conn)).trimmed());
        }
        raise(engineError(PQerrorMessage(conn), QString()), Activity::Reading);
    }
    PQsetSingleRowMode(conn);
    PostgresResults results{conn};
    FieldTexts values(fields);
    while ((results.result = PQgetResult(conn))) {
        PGresult *result = results.result;
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_SINGLE_TUPLE) {
            for (int i = 0; i < fields; ++i) {
                values[i] = PQgetisnull(result, 0, i)
                                ? FieldText()
                                : FieldText{PQgetvalue(result, 0, i), PQgetlength(result, 0, i)};
            }
            row(values.constData());
        } else if (status != PGRES_TUPLES_OK) {
            const QSqlError error =
                engineError(PQresultErrorMessage(result),
                            QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE)));
            if (PQstatus(conn) == CONNECTION_BAD) {
                markLost();
                raiseLost(error.databaseText());
            }
            raise(error, Activity::Reading);
        }
        PQclear(result);
        results.result = nullptr;
    }
    return true;
}

// Qt's driver binds a PostgreSQL write by preparing a statement, executing it and deallocating it:
// three round trips. The same values bound by the server in one.
int Connection::write(const QString &sql, const QVariantList &binds, Activity activity,
                      bool savepoint)
{
    ensureConnected();
    PGconn *conn = m_postgres ? postgresHandle(database()) : nullptr;
    if (!conn)
        return execute(sql, binds, activity, savepoint).numRowsAffected();
    const bool guard = savepoint && m_inTransaction;
    if (guard)
        control(QStringLiteral("SAVEPOINT kv_statement"), activity);

    // Text for every value but bytes, which go as they are; the server takes each value's type
    // from where it is placed.
    std::vector<QByteArray> texts(size_t(binds.size()));
    std::vector<const char *> values(texts.size());
    std::vector<int> lengths(texts.size());
    std::vector<int> formats(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const QVariant &bind = binds.at(qsizetype(i));
        if (bind.isNull())
            continue;
        const bool bytes = bind.metaType().id() == QMetaType::QByteArray;
        texts[i] = bytes ? bind.toByteArray() : bind.toString().toUtf8();
        values[i] = texts[i].constData();
        lengths[i] = int(texts[i].size());
        formats[i] = bytes ? 1 : 0;
    }
    while (PGresult *rest = PQgetResult(conn))
        PQclear(rest);
    const QByteArray text = sql.toUtf8();
    PostgresResults results{conn};
    results.result = PQexecParams(conn, text.constData(), int(values.size()), nullptr,
                                  values.data(), lengths.data(), formats.data(), 0);
    if (PQresultStatus(results.result) != PGRES_COMMAND_OK) {
        const QSqlError error = engineError(
            results.result ? PQresultErrorMessage(results.result) : PQerrorMessage(conn),
            QString::fromLatin1(PQresultErrorField(results.result, PG_DIAG_SQLSTATE)));
        if (PQstatus(conn) == CONNECTION_BAD) {
            markLost();
            raiseLost(error.databaseText());
        }
        failed(error, activity, guard, savepoint);
    }
    const int affected = atoi(PQcmdTuples(results.result));
    if (guard)
        control(QStringLiteral("RELEASE SAVEPOINT kv_statement"), activity);
    return affected;
}

} // namespace DataKit
