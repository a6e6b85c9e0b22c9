#include "SharedSummaries.h"

#include <map>

std::shared_ptr<SharedSummaries> SharedSummaries::of(const DataKit::Database *database)
{
    // A database's summaries are held by the window and the pickers, which also hold the
    // database: its address is not reused while an entry here is alive.
    static std::map<const DataKit::Database *, std::weak_ptr<SharedSummaries>> known;
    if (!database)
        return std::make_shared<SharedSummaries>();
    std::weak_ptr<SharedSummaries> &entry = known[database];
    std::shared_ptr<SharedSummaries> summaries = entry.lock();
    if (!summaries) {
        summaries = std::make_shared<SharedSummaries>();
        entry = summaries;
    }
    std::erase_if(known, [](const auto &item) { return item.second.expired(); });
    return summaries;
}
