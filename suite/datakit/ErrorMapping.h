#pragma once

#include "Connection.h"

namespace DataKit {

// The kit's error number for an engine's failure, by its native code only: SQLite's extended
// result code, PostgreSQL's SQLSTATE. The engine's text never decides anything.
long sqliteErrorNumber(int extended, Activity activity);
long postgresErrorNumber(const QString &state, Activity activity);

} // namespace DataKit
