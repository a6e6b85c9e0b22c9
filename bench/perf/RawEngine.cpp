#include "RawEngine.h"

#include "PerfLedger.h"

#include <QElapsedTimer>
#include <QFile>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <stdexcept>

namespace {

class RawSqlite final : public RawEngine
{
public:
    explicit RawSqlite(const QString &path)
    {
        if (sqlite3_open(QFile::encodeName(path).constData(), &m_db) != SQLITE_OK)
            throw std::runtime_error("cannot open the SQLite ledger");
        // The window's connection may be reading when a statement between its actions writes.
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~RawSqlite() override { sqlite3_close(m_db); }

protected:
    qint64 readAll(const QByteArray &sql) override
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        const int fields = sqlite3_column_count(statement);
        qint64 bytes = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int i = 0; i < fields; ++i) {
                sqlite3_column_text(statement, i);
                bytes += sqlite3_column_bytes(statement, i);
            }
        }
        sqlite3_finalize(statement);
        return bytes;
    }

    void execute(const QByteArray &sql) override
    {
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }

private:
    sqlite3 *m_db = nullptr;
};

class RawPostgres final : public RawEngine
{
public:
    explicit RawPostgres(const QString &url)
        : m_conn(PQconnectdb(PostgresConnectionInfo(url).constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw std::runtime_error(PQerrorMessage(m_conn));
    }
    ~RawPostgres() override { PQfinish(m_conn); }

protected:
    qint64 readAll(const QByteArray &sql) override
    {
        if (!PQsendQuery(m_conn, sql.constData()) || !PQsetSingleRowMode(m_conn))
            throw std::runtime_error(PQerrorMessage(m_conn));
        qint64 bytes = 0;
        while (PGresult *result = PQgetResult(m_conn)) {
            if (PQresultStatus(result) == PGRES_SINGLE_TUPLE) {
                for (int i = 0; i < PQnfields(result); ++i) {
                    PQgetvalue(result, 0, i);
                    bytes += PQgetlength(result, 0, i);
                }
            } else if (PQresultStatus(result) != PGRES_TUPLES_OK) {
                throw std::runtime_error(PQresultErrorMessage(result));
            }
            PQclear(result);
        }
        return bytes;
    }

    void execute(const QByteArray &sql) override
    {
        PGresult *result = PQexec(m_conn, sql.constData());
        const ExecStatusType status = PQresultStatus(result);
        PQclear(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw std::runtime_error(PQerrorMessage(m_conn));
    }

private:
    PGconn *m_conn;
};

} // namespace

std::unique_ptr<RawEngine> RawEngine::open(const QString &target)
{
    if (target.startsWith(QLatin1String("postgres")))
        return std::make_unique<RawPostgres>(target);
    return std::make_unique<RawSqlite>(target);
}

double RawEngine::read(const QByteArray &sql)
{
    QElapsedTimer clock;
    clock.start();
    readAll(sql);
    return double(clock.nsecsElapsed()) / 1e6;
}

double RawEngine::run(const QByteArray &sql)
{
    QElapsedTimer clock;
    clock.start();
    execute(sql);
    return double(clock.nsecsElapsed()) / 1e6;
}
