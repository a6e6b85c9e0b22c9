#pragma once

#include <QString>

#include <memory>

namespace DataKit {
class Database;
}

// What kvscreenshot shows over a ledger with the demo data, each saved as a PNG once it has
// settled; false when the picture could not be taken.
bool shootWindow(const std::shared_ptr<DataKit::Database> &ledger, const QString &png);
bool shootVoucher(const std::shared_ptr<DataKit::Database> &ledger, const QString &png);
