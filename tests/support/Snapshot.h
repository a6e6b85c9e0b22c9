#pragma once

#include <QString>

class QWidget;

namespace kvtest {

// Saves what a window looks like as <name>.png in the folder KVDIGEST_SNAPSHOT_DIR names, to look
// at by eye; does nothing when the environment names no folder.
void snapshot(QWidget &window, const QString &name);

} // namespace kvtest
