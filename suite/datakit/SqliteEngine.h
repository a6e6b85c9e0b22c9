#pragma once

#include "Engine.h"

struct sqlite3;

namespace DataKit {

// An SQLite file: foreign keys enforced, a short busy wait, the file told apart from another one
// put at its path. Its text is checked against declared VARCHAR sizes by the kit (Update).
class SqliteEngine final : public Engine
{
public:
    // path: the file's absolute path (it is found again there after the process changed folder).
    explicit SqliteEngine(QString path);
    ~SqliteEngine() override { close(); }

    bool isServer() const override { return false; }
    void open() override;
    void close() noexcept override;
    void checkStillThere() const override;
    void checkReopenable() const override;
    bool lostBy(const EngineFailure &) const override { return false; }
    bool failureAbortsTransaction() const override { return false; }

    QString placeholder(int n) const override;
    QString quoteIdentifier(const QString &name) const override;
    QString beginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QString rowLockClause(const QString &) const override { return {}; }
    TableInfo readTableInfo(Connection &conn, const QString &table, bool quoted) const override;
    qint64 changeCount(Connection &conn, const QString &table) const override;
    QString catalogName(const QString &table, bool) const override { return table.toLower(); }

    Failure read(const QString &sql, const QVariantList &binds, const RowSink &sink) override;
    Failure write(const QString &sql, const QVariantList &binds, long *affected) override;
    Failure copyRows(const QString &table, const QStringList &columns,
                     const QList<QVariantList> &rows, long *affected) override;
    Error mapError(const EngineFailure &error, Activity activity) const override;

private:
    // What tells an SQLite file apart from another one put at its path.
    struct FileIdentity
    {
        bool known = false;
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const FileIdentity &) const = default;
    };
    FileIdentity currentFileIdentity() const;
    EngineFailure lastError() const;
    // One statement: its rows to sink, or whether it changed any (it does not only read).
    Failure run(const QString &sql, const QVariantList &binds, const RowSink &sink, bool *changes);

    QString m_path;
    sqlite3 *m_db = nullptr;
    FileIdentity m_file;
};

} // namespace DataKit
