#pragma once

#include "Engine.h"
#include "PostgresSession.h"

struct pg_conn;
struct pg_result;

namespace DataKit {

// A PostgreSQL server: a session safe from its first statement (PostgresSession.h), a short lock
// wait, statements under a savepoint inside a transaction (any failure there aborts it); the kit's
// statements that belong together sent in one round trip (libpq's pipeline), many rows by COPY.
class PostgresEngine final : public Engine
{
public:
    explicit PostgresEngine(QString url);
    ~PostgresEngine() override { close(); }

    bool isServer() const override { return true; }
    void open() override;
    void close() noexcept override;
    void checkStillThere() const override {}
    void checkReopenable() const override {}
    bool lostBy(const EngineFailure &error) const override;
    bool failureAbortsTransaction() const override { return true; }

    QString placeholder(int n) const override;
    QString quoteIdentifier(const QString &name) const override;
    QString beginStatement() const override { return QStringLiteral("BEGIN"); }
    QString rowLockClause(const QString &table) const override;
    TableInfo readTableInfo(Connection &conn, const QString &table, bool quoted) const override;
    qint64 changeCount(Connection &conn, const QString &table) const override;
    QString catalogName(const QString &table, bool quoted) const override;

    Failure read(const QString &sql, const QVariantList &binds, const RowSink &sink) override;
    Failure write(const QString &sql, const QVariantList &binds, long *affected) override;
    Failure batch(QList<BatchStatement> &statements, qsizetype *failedAt) override;
    Failure copyRows(const QString &table, const QStringList &columns,
                     const QList<QVariantList> &rows, long *affected) override;
    Error mapError(const EngineFailure &error, Activity activity) const override;

    // How many times the kit has waited for the server (this engine's links together): what the
    // tests and benchmarks count a user's action in.
    long roundTrips() const { return m_roundTrips; }

private:
    // The server's address as users see it: without its password.
    QString shown() const;
    // A session that reads a backslash as an ordinary character and speaks UTF-8, or none: 3051.
    void requireSafeSession();
    // A failed statement's SQLSTATE and text (libpq's own when there is no result).
    EngineFailure failureOf(const pg_result *result) const;
    // Clears whatever an earlier statement left unread, which would make the server refuse the
    // next.
    void clearResults();

    QString m_url;
    PostgresParams m_params;
    pg_conn *m_conn = nullptr;
    long m_roundTrips = 0;
};

} // namespace DataKit
