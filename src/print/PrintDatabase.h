#pragma once

#include <QString>
#include <memory>

namespace DataKit {
class Database;
}

// The terminal session's print database is directory/QXInit2<session>.MDB, an SQLite file; the
// name has one spelling, since file names are case-sensitive here.
//
// Deletes the session's old print database, creates a new one and opens it. When the old file
// cannot be deleted it is opened and used as it is. Any other failure is shown under "提示" and
// answers nullptr: printing then reports that it cannot lay out a job.
std::shared_ptr<DataKit::Database> OpenPrintDatabase(const QString &directory);

// Another window of the same login session makes the print database anew when it opens, or a
// user removes it: the file this window opened is gone from under it. Opens the one there now,
// made anew (empty) when there is none; false when that fails too. Shows nothing.
bool ReopenPrintDatabase(DataKit::Database &database);
