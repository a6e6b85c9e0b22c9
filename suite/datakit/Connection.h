#pragma once

#include "DataKitError.h"
#include "Recordset.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace DataKit {

// What the kit was doing when the engine refused: the same native code means "locked by another
// user" while writing and "held exclusively" while opening or re-reading a recordset.
enum class Activity { Reading, Writing };

// What the kit knows of one table: its columns, its primary key and its declared text sizes.
struct TableInfo
{
    bool exists = false;
    QStringList columns;          // as the engine spells them
    QStringList keyColumns;       // primary key, in index order ("" none)
    QHash<QString, int> maxChars; // lower-case column -> declared VARCHAR(n)/CHAR(n) size

    int columnIndex(const QString &name) const; // case-insensitive; -1 when absent
};

// One Qt SQL connection with a name of its own, the kit's error mapping and its transaction state.
//
// A connection the server dropped (a restart, an administrator), or an SQLite file that was
// removed or replaced under it, counts as lost: the statement that meets the loss fails with
// errConnectionLost, and the next operation opens the connection again, once, before it runs; a
// failed reopening is reported the same way and tried again by the operation after. Nothing is
// retried behind the caller's back: a write that met the loss is reported, never repeated.
class Connection
{
public:
    // Opens an SQLite file path or a postgresql:// URL; throws Error (3051 when it cannot).
    static std::unique_ptr<Connection> open(const QString &target, bool createIfMissing);
    ~Connection();

    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return m_open; }
    bool isPostgres() const { return m_postgres; }
    QSqlDatabase database() const;
    void close();

    // Runs one statement with bound values and returns the active query; throws the mapped Error.
    // Inside a transaction on PostgreSQL the statement runs under a savepoint, so that its failure
    // does not abort the transaction (a row lock taken by Edit survives a failed look-up).
    QSqlQuery run(const QString &sql, const QVariantList &binds, Activity activity);
    // Same, without the savepoint: for the kit's own statements inside the Edit transaction, whose
    // failure rolls the whole transaction back.
    QSqlQuery runInTransaction(const QString &sql, const QVariantList &binds, Activity activity);
    // A write (INSERT, UPDATE, DELETE) with bound values, under the savepoint or not as run and
    // runInTransaction; answers the rows it affected. Its placeholders are placeholder(1), ...
    int write(const QString &sql, const QVariantList &binds, Activity activity, bool savepoint);
    // The n-th (from 1) value's place in a statement given to write.
    QString placeholder(int n) const;

    // Runs a query and hands each of its rows (`fields` fields) to row, in one pass. Outside a
    // transaction it reads straight through the engine's own interface: Qt SQL's QVariant and
    // QString of every field would cost more than the engine's whole reading of a large listing.
    void readRows(const QString &sql, int fields, const RowReader &row);

    // The next row of a query; false at its end. QSqlQuery::next() answers false on a failure
    // too (a row the engine could not produce): that is raised, not taken for the end.
    bool next(QSqlQuery &query, Activity activity = Activity::Reading);

    // The write transaction of Edit: SQLite BEGIN IMMEDIATE, PostgreSQL BEGIN. Busy -> 3260.
    void begin();
    void commit();
    void rollback() noexcept;
    bool inTransaction() const { return m_inTransaction; }

    // A value written as an SQL literal by the driver's own escaping. For values the kit read back
    // from the database (keys); user values are always bound (write).
    QString literal(const QVariant &value) const;

    std::shared_ptr<const TableInfo> tableInfo(const QString &table, bool quoted);
    void forgetSchema() { m_tables.clear(); }

    // Turns a driver error into the kit's Error (rolling back an aborted PostgreSQL transaction).
    [[noreturn]] void raise(const QSqlError &error, Activity activity);

private:
    // What tells an SQLite file apart from another one put at its path.
    struct FileIdentity
    {
        bool known = false;
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const FileIdentity &) const = default;
    };

    Connection(QString name, bool postgres, QString target);
    QSqlQuery execute(const QString &sql, const QVariantList &binds, Activity activity,
                      bool savepoint);
    // After a statement failed: the savepoint rolled back, or the transaction it aborted; then the
    // mapped Error (a lost link reported as such).
    [[noreturn]] void failed(const QSqlError &error, Activity activity, bool guard, bool savepoint);
    // A transaction control statement (BEGIN, COMMIT); throws the mapped Error.
    void control(const QString &sql, Activity activity);
    static std::unique_ptr<Connection> openSqlite(const QString &path, bool createIfMissing);
    static std::unique_ptr<Connection> openPostgres(const QString &url);

    // Opening, keeping and reopening the link (ConnectionLink.cpp).
    void prepareSession(); // settings every new link needs; throws
    // A PostgreSQL session reads a backslash as an ordinary character and speaks UTF-8, or it is
    // not used: throws 3051.
    void requireSafeSession();
    FileIdentity currentFileIdentity() const;
    void ensureConnected(); // reopens a lost link, or finds an SQLite file replaced; throws
    void reconnect();
    bool lostBy(const QSqlError &error) const;
    void markLost() noexcept;
    [[noreturn]] void raiseLost(const QString &detail);
    // The engines' own readings for readRows (NativeRows.cpp); false when the driver gives no
    // handle to read through.
    bool readSqliteRows(const QByteArray &sql, int fields, const RowReader &row);
    bool readPostgresRows(const QByteArray &sql, int fields, const RowReader &row);

    QString m_name;
    bool m_postgres;
    QString m_target; // the SQLite file's absolute path, or the server's URL
    bool m_open = false;
    bool m_lost = false;
    bool m_inTransaction = false;
    FileIdentity m_file;
    QHash<QString, std::shared_ptr<const TableInfo>> m_tables;
};

// The kit's error for a driver error, by native code only (ErrorMapping.cpp). The description is
// the kit's own sentence; the engine's text is the detail.
Error mapError(const QSqlError &error, bool postgres, Activity activity);
// The engine's own text of a driver error.
QString engineText(const QSqlError &error);

} // namespace DataKit
