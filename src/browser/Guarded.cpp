#include "Guarded.h"

#include <QLoggingCategory>

#include <exception>

// The window's log: the steps whose failures it drops by design. Quiet unless a user's
// QT_LOGGING_RULES (kvdigest.window.warning=true) asks for it.
Q_LOGGING_CATEGORY(lcWindow, "kvdigest.window", QtCriticalMsg)

bool Guarded(const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const std::exception &error) {
        qCWarning(lcWindow).noquote()
            << "a step of a command failed and was passed over:" << QString::fromUtf8(error.what());
        return false;
    }
}
