#pragma once

#include <memory>

namespace DataKit {
class Database;
}
class frmDigBrowse;

// The summary window on a database as a host opens it (Init, then the load), shown without a modal
// loop so that a benchmark can drive it; closed and released by CloseBenchWindow.
frmDigBrowse &OpenBenchWindow(const std::shared_ptr<DataKit::Database> &db);
void CloseBenchWindow(frmDigBrowse &window, DataKit::Database &db);
