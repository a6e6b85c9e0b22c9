#pragma once

#include <QString>

// Where the suite keeps its per-user files (help, print databases). KVDIGEST_SYSTEM_DIR overrides
// it, so that tests and several installations stay apart. The folder exists on return.
QString SystemDirectory();
