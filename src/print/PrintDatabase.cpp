#include "PrintDatabase.h"

#include "Database.h"

std::shared_ptr<DataKit::Database> OpenPrintDatabase(const QString &systemDirectory)
{
    // Printing is not wired up yet: the window goes on without a print database.
    Q_UNUSED(systemDirectory);
    return nullptr;
}
