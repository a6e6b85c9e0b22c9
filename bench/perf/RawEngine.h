#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The engine alone, through its own C library, on the benchmark's data: the yardsticks the
// component's figures stand beside. SQLite through sqlite3, PostgreSQL through libpq.
class RawEngine
{
public:
    // An SQLite file path or a postgresql:// URL.
    static std::unique_ptr<RawEngine> open(const QString &target);
    virtual ~RawEngine() = default;

    // Milliseconds to run a query and take every field of every row (PostgreSQL in single-row
    // mode, as a client reads a large result without holding it whole).
    double read(const QByteArray &sql);
    // Milliseconds for one statement, committed on its own.
    double run(const QByteArray &sql);

protected:
    // Runs the query and takes every field; answers the bytes taken.
    virtual qint64 readAll(const QByteArray &sql) = 0;
    virtual void execute(const QByteArray &sql) = 0;
};
