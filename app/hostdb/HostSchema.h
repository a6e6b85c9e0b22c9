#pragma once

#include <QStringList>

#include <memory>

namespace DataKit {
class Database;
}

// The host's side of the ledger: the tables the component meets, created the same way on both
// engines. Column names are unquoted so PostgreSQL folds them like every spelling the component
// uses.
namespace HostSchema {

// The host's tables: Code, GL_bDigest and GL_VoucherLine.
QStringList tables();
// Those of the host's tables a database lacks. Throws the kit's error when it cannot tell (a table
// held exclusively, say).
QStringList missingTables(DataKit::Database &db);
// The tables the component itself needs: a ledger without the voucher lines still serves.
bool servesTheComponent(const QStringList &missing);
// Creates Code, GL_bDigest and the voucher-line table that references GL_bDigest.cId and names
// each line's account (cCode).
void create(DataKit::Database &db);
// A small chart of accounts, a few dozen common summaries and voucher lines that use some of them.
void fillDemoData(DataKit::Database &db);

} // namespace HostSchema
