#pragma once

#include <memory>

namespace DataKit {
class Database;
}

// The host's side of the ledger: the tables the component meets, created the same way on both
// engines. Column names are unquoted so PostgreSQL folds them like every spelling the component
// uses.
namespace HostSchema {

// True when GL_bDigest already exists (an existing ledger is never touched).
bool exists(DataKit::Database &db);
// Creates Code, GL_bDigest and the voucher-line table that references GL_bDigest.cId.
void create(DataKit::Database &db);
// A small chart of accounts, a few dozen common summaries and voucher lines that use some of them.
void fillDemoData(DataKit::Database &db);

} // namespace HostSchema
