#pragma once

#include "QuickSearchIndex.h"

#include <memory>

namespace DataKit {
class Database;
}

// The summaries of one database as this process knows them: one index over one pool, shared by
// the window's quick search and every picker of that database, so that a save in the window is
// seen by the pickers at once and a million summaries are kept once. On the user-interface thread
// only.
struct SharedSummaries
{
    QuickSearchIndex index;
    // The common-summaries windows of the database open now: their Refresh reads the listing
    // again, so a picker need not.
    int windows = 0;

    // The summaries of database, shared while anyone holds them; fresh ones (with no summaries)
    // when nobody does. A null database gets summaries of its own.
    static std::shared_ptr<SharedSummaries> of(const DataKit::Database *database);
};
