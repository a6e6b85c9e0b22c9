#pragma once

#include "Connection.h"
#include "Database.h"

namespace DataKit::detail {

// The kit's way to a database's connection; hosts have none.
struct DatabaseAccess
{
    static Connection &connection(Database &database); // throws errNoDatabase when closed
};

} // namespace DataKit::detail
