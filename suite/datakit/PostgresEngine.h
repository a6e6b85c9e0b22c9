#pragma once

#include "Engine.h"
#include "PostgresSession.h"

struct pg_conn;

namespace DataKit {

// A PostgreSQL server: a session safe from its first statement (PostgresSession.h), a short lock
// wait, statements under a savepoint inside a transaction (any failure there aborts it).
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
    QString catalogName(const QString &table, bool quoted) const override;

    Failure read(const QString &sql, const QVariantList &binds, const RowSink &sink) override;
    Failure write(const QString &sql, const QVariantList &binds, long *affected) override;
    Error mapError(const EngineFailure &error, Activity activity) const override;

private:
    // The server's address as users see it: without its password.
    QString shown() const;
    // A session that reads a backslash as an ordinary character and speaks UTF-8, or none: 3051.
    void requireSafeSession();

    QString m_url;
    PostgresParams m_params;
    pg_conn *m_conn = nullptr;
};

} // namespace DataKit
