#pragma once

#include "KvTestMain.h"

#include <QString>
#include <memory>

namespace DataKit {
class Database;
}

// Databases for the tests, on the engine the environment names: SQLite by default,
// PostgreSQL when KVDIGEST_ENGINE=postgres (server URL in KVDIGEST_PG_URL).
namespace kvtest {

// KVDIGEST_ENGINE=postgres.
bool usingPostgres();

// A fresh, empty database for one test. SQLite: a new file in a temporary folder kept for the test
// process. PostgreSQL: a database of this test executable's own (named after it, created on first
// use), with every table of the public schema dropped. Connections handed out for the previous
// database are closed first, so a test that forgot a lock cannot block the next one.
std::shared_ptr<DataKit::Database> freshDatabase();

// A second connection to the database last returned by freshDatabase(); the other user is an
// OtherUser (OtherUser.h), which holds and releases locks in one way.
std::shared_ptr<DataKit::Database> anotherConnection();

// The path or URL of that database.
QString currentTarget();

// How many of the connections handed out since the last fresh database are still open: once a
// test's objects are gone, any left is a connection the test or the component leaked.
int openConnections();

// What a server restart does to the open connections of the current test database: PostgreSQL
// drops them all (another executable's databases are left alone); an SQLite file is replaced by a
// copy of itself, as a restore from a backup would.
void loseConnections();

// Turns the chart of accounts of a host database into a view over entries whose names are kept as
// JSON texts; addUnreadableAccount() then adds an entry with no readable name. Reading every
// account's name (a look-up by name) fails from then on; the listing's join, which reads only the
// names of its summaries' accounts, does not.
void chartAsView(DataKit::Database &db);
void addUnreadableAccount(DataKit::Database &db);

// A fresh database with the host's tables (HostSchema::create), and its demo data when demo.
std::shared_ptr<DataKit::Database> hostDatabase(bool demo = true);

} // namespace kvtest
