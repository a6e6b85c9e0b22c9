#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace DataKit {
class Database;
}

// The voucher screen's side of the ledger: the voucher lines it writes and the chart of accounts
// it names their accounts from. Every function throws DataKit::Error, its description for the
// user.
namespace VoucherLedger {

// One voucher line as it is stored.
struct Line
{
    QString summary;
    QString digestId;    // the common summary it was picked from; "" (Null) for a typed text
    QString accountCode; // "" (Null) for none
};

// Readies the ledger for the screen: ledgers made before the screen existed get the voucher
// lines' account column. A ledger without voucher lines is refused.
void prepare(DataKit::Database &db);
// The chart of accounts: each code's name.
QHash<QString, QString> chart(DataKit::Database &db);
// Stores the lines, all or none, as a new voucher numbered one more than the highest so far;
// answers its number.
int save(DataKit::Database &db, const QList<Line> &lines);

} // namespace VoucherLedger
