#pragma once

#include "prjdigest_export.h"

#include <memory>

class QWidget;

namespace DataKit {
class Database;
}

// The component's public class: the host hands it an open database and a read-only flag, then
// shows the common-summaries window.
class PRJDIGEST_EXPORT QXDigest
{
public:
    std::shared_ptr<DataKit::Database> mdbObject;
    bool blnReadOnly = false;

    // Shows the window modally, over the host's window when one is given (no owner otherwise);
    // returns when it is closed. Throws (DataKit::Error or std::exception) when the window cannot
    // be loaded, e.g. without a successful Init before. Qt's own texts (standard buttons, file and
    // print dialogs) are Chinese while it is shown, unless the host chose a translation of Qt's.
    void Show(QWidget *parent = nullptr);
    // Keeps the database and opens the listing; false when the listing cannot be opened.
    bool Init(const std::shared_ptr<DataKit::Database> &dbase, bool blnread);
};
