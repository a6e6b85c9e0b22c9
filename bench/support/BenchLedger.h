#pragma once

#include <QString>

#include <functional>

namespace DataKit {
class Database;
}

// The host's tables with the demo chart of accounts and no summaries, for a benchmark to fill.
void PrepareEmptyLedger(DataKit::Database &db);

// Runs a benchmark on SQLite (a file in a temporary folder) and, when KVDIGEST_PG_URL names a
// server, on PostgreSQL in a database of the given name, created for the run and dropped after.
// run gets the engine's name, the database's path or URL, and whether to create it. Answers the
// exit code: 1 after printing what failed.
int RunOnEngines(
    const QString &databaseName,
    const std::function<void(const QString &engine, const QString &target, bool create)> &run);
