#pragma once

#include "DataKitError.h"
#include "Recordset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

namespace DataKit {

class Engine;
struct BatchStatement;
struct RowSink;

// What the kit was doing when the engine refused: the same native code means "locked by another
// user" while writing and "held exclusively" while opening or re-reading a recordset.
enum class Activity { Reading, Writing };

// A statement's failure as the engine reported it: its native code (SQLite's extended result
// code, PostgreSQL's SQLSTATE) and its own text.
struct EngineFailure
{
    QString code;
    QString text;
};
// Nothing when the statement succeeded.
using Failure = std::optional<EngineFailure>;

// What the kit knows of one table: its columns, its primary key and its declared text sizes.
struct TableInfo
{
    bool exists = false;
    QStringList columns;          // as the engine spells them
    QStringList keyColumns;       // primary key, in index order ("" none)
    QHash<QString, int> maxChars; // lower-case column -> declared VARCHAR(n)/CHAR(n) size
    bool keyMayBeNull = false;    // SQLite lets a key that is not an INTEGER hold Null

    int columnIndex(const QString &name) const; // case-insensitive; -1 when absent
    // The kit's refusal (3163) of a value longer than the column's declared size, counted in
    // characters as PostgreSQL counts them (SQLite would store any length); none when it fits.
    std::optional<Error> tooLong(int column, const QVariant &value) const;
};

// A statement's result read whole: its column names and its rows of values (Null: null QVariant).
struct Rows
{
    QStringList names;
    QVector<QVector<QVariant>> rows;
};

// A sink that keeps a statement's column names and rows, each field as its QVariant.
RowSink rowsInto(Rows &rows);

// One link to a database through its engine, with the kit's transaction state and its errors.
//
// A connection the server dropped (a restart, an administrator), or an SQLite file that was
// removed or replaced under it, counts as lost: the statement that meets the loss fails with
// errConnectionLost, and the next operation opens the connection again, once, before it runs; a
// failed reopening is reported the same way and tried again by the operation after. Nothing is
// retried behind the caller's back: a write that met the loss is reported, never repeated.
//
// Inside a transaction on an engine whose failures abort it (PostgreSQL), a statement runs under
// a savepoint unless the caller says otherwise, so that its failure does not end the transaction
// (a row lock taken by Edit survives a failed look-up); the savepoint, the statement and its
// release go to the server together. The kit's own statements of an Edit run without: their
// failure ends the Edit's transaction.
class Connection
{
public:
    // Opens an SQLite file path or a postgresql:// URL; throws Error (3051 when it cannot).
    static std::unique_ptr<Connection> open(const QString &target, bool createIfMissing);
    ~Connection();

    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return m_open; }
    const Engine &engine() const { return *m_engine; }
    void close();

    // One statement with bound values (placeholders: engine().placeholder(n)); throws the mapped
    // Error.
    Rows select(const QString &sql, const QVariantList &binds, Activity activity,
                bool savepoint = true);
    int write(const QString &sql, const QVariantList &binds, Activity activity,
              bool savepoint = true);
    // Hands each row of a query, as text, to row, in one pass.
    void readRows(const QString &sql, const QVariantList &binds, const RowReader &row);
    // A caller's own statement text; answers the rows it changed.
    long execute(const QString &sql);

    // The kit's own statements (an Edit's lock, its Update, many rows at once) sent together, one
    // round trip on a server: after the write transaction's BEGIN when none is open, before COMMIT
    // when commit is asked. A failure ends the transaction, the caller's too, and is thrown (busy:
    // 3260); the statements after it do not run.
    void transact(QList<BatchStatement> &statements, bool commit);
    // Adds rows to a table in the transaction (engine: copyRows); a failure ends it.
    long copyRows(const QString &table, const QStringList &columns,
                  const QList<QVariantList> &rows);

    // The write transaction: SQLite BEGIN IMMEDIATE, PostgreSQL BEGIN. Busy -> 3260.
    void begin();
    void commit();
    void rollback() noexcept;
    bool inTransaction() const { return m_inTransaction; }

    // The caller's transaction (Database::BeginTrans), inside which the kit's writes and Edits
    // run. Commit or roll back without one: errNoTransaction. When the kit had to roll it back
    // (a PostgreSQL statement failed inside it, or the link was lost) it is over: commitCaller
    // then throws errNoTransaction, rollbackCaller is allowed and does nothing.
    void beginCaller();
    void commitCaller();
    void rollbackCaller();

    std::shared_ptr<const TableInfo> tableInfo(const QString &table, bool quoted);
    void forgetSchema() { m_tables.clear(); }

private:
    // What a statement sent with others is to the transaction: what it changes when it runs, and
    // what its failure means.
    enum class Role { Begin, Savepoint, Statement, Release, Commit };

    explicit Connection(std::unique_ptr<Engine> engine);
    // A statement under the savepoint it needs, its failure turned into the kit's Error. A
    // caller's script (which may hold several statements) is sent on its own.
    void run(Activity activity, bool savepoint, BatchStatement &statement, bool script = false);
    // Statements sent together (a script's one after the other): the transaction state follows
    // each one that ran, and the first failure is handled as that statement's alone.
    void exchange(QList<BatchStatement> &statements, const QList<Role> &roles, Activity activity,
                  bool savepoint, bool script);
    // After a statement failed: the savepoint rolled back, or the transaction it aborted; then the
    // mapped Error (a lost link reported as such).
    [[noreturn]] void failed(const EngineFailure &error, Activity activity, bool guard,
                             bool savepoint);
    // A transaction control statement (BEGIN); throws the mapped Error.
    void control(const QString &sql, Activity activity);
    // After a transaction control statement failed: the transaction it aborted rolled back, then
    // the mapped Error.
    [[noreturn]] void controlFailed(const EngineFailure &error, Activity activity);

    // Opening, keeping and reopening the link (ConnectionLink.cpp).
    void ensureConnected(); // reopens a lost link, or finds an SQLite file replaced; throws
    void reconnect();
    void markLost() noexcept;
    [[noreturn]] void raiseLost(const QString &detail);

    std::unique_ptr<Engine> m_engine;
    bool m_open = false;
    bool m_lost = false;
    bool m_inTransaction = false;
    bool m_callerTransaction = false; // begun by BeginTrans, not yet committed or rolled back
    QHash<QString, std::shared_ptr<const TableInfo>> m_tables;
};

} // namespace DataKit
