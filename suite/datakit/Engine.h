#pragma once

#include "Connection.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace DataKit {

// What a field read through an engine holds, so that one routine (Cells.cpp) turns every engine's
// text into the same QVariant.
enum class CellKind : quint8 { Text, Integer, Real, Bool, Bytes };

// A statement's columns (once, before its first row; also when it has no rows) and its rows.
struct RowSink
{
    std::function<void(const QStringList &names)> columns; // may be empty
    std::function<void(const FieldText *fields, const CellKind *kinds)> row;
};

// One statement of several sent together: its values, where its rows go (a query) and, once run,
// how many rows it inserted, changed or deleted (a write).
struct BatchStatement
{
    QString sql;
    QVariantList binds;
    const RowSink *rows = nullptr; // nullptr: a write
    long affected = 0;
};

// One database engine: everything in which SQLite and PostgreSQL differ, and nothing else. The
// connection above it (Connection) keeps the transaction, the loss of the link and the kit's
// errors the same for both. The engine owns its link and runs every statement through the
// engine's own C library.
class Engine
{
public:
    // The engine for an SQLite file path or a postgresql:// URL; throws Error (3051).
    static std::unique_ptr<Engine> forTarget(const QString &target, bool createIfMissing);
    virtual ~Engine() = default;

    // Opening and keeping the link.
    virtual bool isServer() const = 0;
    // Opens the link and makes its session safe; throws Error (3051 and why).
    virtual void open() = 0;
    virtual void close() noexcept = 0;
    // Throw errConnectionLost when the link can no longer be trusted, or not opened again.
    virtual void checkStillThere() const = 0;
    virtual void checkReopenable() const = 0;
    virtual bool lostBy(const EngineFailure &error) const = 0;
    // A failed statement aborts the transaction around it (unless under a savepoint).
    virtual bool failureAbortsTransaction() const = 0;

    // SQL spoken to the engine.
    virtual QString placeholder(int n) const = 0; // the n-th (from 1) bound value's place
    virtual QString quoteIdentifier(const QString &name) const = 0;
    virtual QString beginStatement() const = 0; // the write transaction of Edit and BeginTrans
    // What an Edit's SELECT of one row ends with to lock it (table: as the query names it).
    virtual QString rowLockClause(const QString &table) const = 0;
    // A table's columns, key and sizes, read through conn; the name as written, quoted or not.
    virtual TableInfo readTableInfo(Connection &conn, const QString &table, bool quoted) const = 0;
    // The name the catalogue knows a table by.
    virtual QString catalogName(const QString &table, bool quoted) const = 0;
    // A number that moves when other connections change the table, read through conn.
    virtual qint64 changeCount(Connection &conn, const QString &table) const = 0;

    // One statement with bound values. write answers the rows it inserted, changed or deleted
    // (0 for a query); without values it may be a caller's script of several statements.
    virtual Failure read(const QString &sql, const QVariantList &binds, const RowSink &sink) = 0;
    virtual Failure write(const QString &sql, const QVariantList &binds, long *affected) = 0;
    // The kit's own statements, in order, sent together: on a server one round trip for all of
    // them. The first failure stops them (the later ones are not run); failedAt tells which.
    virtual Failure batch(QList<BatchStatement> &statements, qsizetype *failedAt);
    // Adds rows (values in the order of columns) to a table the quickest way the engine has:
    // PostgreSQL's COPY, SQLite's INSERT prepared once. Table and columns as a statement names
    // them. Run inside a transaction, which a failure ends (SQLite may have added some by then).
    virtual Failure copyRows(const QString &table, const QStringList &columns,
                             const QList<QVariantList> &rows, long *affected) = 0;
    virtual Error mapError(const EngineFailure &error, Activity activity) const = 0;
};

// The statements one after the other, each waited for: what batch does where nothing is gained
// by sending them together, and for a caller's script, which may hold several statements.
Failure runInTurn(Engine &engine, QList<BatchStatement> &statements, qsizetype *failedAt);

// A field's QVariant: Null, or its text read as its kind says.
QVariant cellValue(const FieldText &field, CellKind kind);

} // namespace DataKit
