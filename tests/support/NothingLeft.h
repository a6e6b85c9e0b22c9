#pragma once

#include <QString>
#include <QTest>

namespace kvtest {

// What a finished test left behind: its top-level windows (shown or hidden) and the database
// connections still open; empty when nothing was.
QString leftBehind();

} // namespace kvtest

// For each GUI suite's cleanup(): windows closed late (deleteLater) get their chance first.
#define KV_VERIFY_NOTHING_LEFT()                                                                   \
    QTRY_VERIFY2(kvtest::leftBehind().isEmpty(), qPrintable(kvtest::leftBehind()))
