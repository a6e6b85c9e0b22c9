#pragma once

#include <QString>
#include <memory>

namespace DataKit {
class Database;
}

// The per-session print database under the system directory; nullptr when there is none, and
// printing then reports that it cannot lay out a job.
std::shared_ptr<DataKit::Database> OpenPrintDatabase(const QString &systemDirectory);
