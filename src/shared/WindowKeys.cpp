#include "WindowKeys.h"

#include <QKeyEvent>

bool WindowKey(QKeyEvent &event, const std::function<void()> &showHelp)
{
    switch (event.key()) {
    case Qt::Key_F1:
        showHelp();
        return true;
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event.ignore();
        return true;
    default:
        return false;
    }
}
