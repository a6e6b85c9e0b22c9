#pragma once

#include <QString>

#include <memory>

namespace DataKit {
class Database;
}

// The demo host's import and export commands, for the terminal: the report on standard output,
// a progress bar on standard error when it is a terminal and the file is long. Return the exit
// code: 0 done, 1 rows were refused, 5 nothing done (the file or the database failed).
int RunImportCommand(const std::shared_ptr<DataKit::Database> &ledger, const QString &path,
                     bool dryRun, bool strict);
int RunExportCommand(const std::shared_ptr<DataKit::Database> &ledger, const QString &path);
