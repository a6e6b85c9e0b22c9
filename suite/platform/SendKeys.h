#pragma once

#include <QString>

class QWidget;

// Queues keystrokes for a widget; they arrive after the current handler has returned, through
// the event loop, exactly like typed keys. Understands the forms the component uses: "{Left}",
// "{UP}", "{DOWN}", "{F1}", "^{PGUP}", "^{PGDN}" (^ Ctrl, + Shift, % Alt), case-insensitive.
void SendKeys(QWidget *target, const QString &keys);
