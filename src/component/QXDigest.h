#pragma once

#include <memory>

namespace DataKit {
class Database;
}

// The component's public class: the host hands it an open database and a read-only flag, then
// shows the common-summaries window.
class QXDigest
{
public:
    std::shared_ptr<DataKit::Database> mdbObject;
    bool blnReadOnly = false;

    // Shows the window modally; returns when it is closed. Throws (DataKit::Error or
    // std::exception) when the window cannot be loaded, e.g. without a successful Init before.
    void Show();
    // Keeps the database and opens the listing; false when the listing cannot be opened.
    bool Init(const std::shared_ptr<DataKit::Database> &dbase, bool blnread);
};
