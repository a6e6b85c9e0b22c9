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
    // mode, as a client reads a large result without holding it whole); rows gives the count.
    virtual double read(const QByteArray &sql, long *rows = nullptr) = 0;
    // Milliseconds for one statement, committed on its own.
    virtual double run(const QByteArray &sql) = 0;
};
