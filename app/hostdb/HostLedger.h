#pragma once

#include <QString>
#include <memory>

namespace DataKit {
class Database;
}

// The demo host's ledger: opened from a file path or a postgresql:// address, made with the
// host's tables and demo data when it has none of them, never altered otherwise.
namespace HostLedger {

struct Opened
{
    std::shared_ptr<DataKit::Database> database; // null when problem says why
    QString problem;                             // a message for the user; "" when none
};

// A target as it may be shown or logged: a server address without its password.
QString shownTarget(const QString &target);

// Opens the ledger. A database with none of the host's tables gets all of them and the demo data
// in one transaction (all or nothing); one with only some of them is refused with a message,
// nothing created. When the tables cannot be read because another user holds the database
// exclusively, the database is answered as it is: the component's Init tells the user.
Opened open(const QString &target);

} // namespace HostLedger
