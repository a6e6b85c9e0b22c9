#pragma once

#include <QString>

class QWidget;

namespace kvtest {

// Saves what a window looks like as NAME.png in KVDIGEST_SNAPSHOT_DIR, when the environment asks
// for pictures to look at by eye; does nothing otherwise.
void snapshot(QWidget &window, const QString &name);

} // namespace kvtest
