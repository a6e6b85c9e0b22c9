#pragma once

#include <functional>

class QKeyEvent;

// The keys every window of the component treats alike. F1 shows the window's help topic; Esc and
// Enter mean no button (a window does not close on Esc, nor confirm on Enter) and are left to
// whoever handles them. Answers true when the key was one of these three.
bool WindowKey(QKeyEvent &event, const std::function<void()> &showHelp);
