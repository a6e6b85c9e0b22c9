#include "NothingLeft.h"

#include "TestDatabase.h"

#include <QApplication>
#include <QStringList>
#include <QWidget>

namespace kvtest {

QString leftBehind()
{
    QStringList found;
    for (const QWidget *window : QApplication::topLevelWidgets())
        found << QStringLiteral("window %1 \"%2\"")
                     .arg(QString::fromLatin1(window->metaObject()->className()),
                          window->windowTitle());
    if (const int open = openConnections())
        found << QStringLiteral("%1 open connection(s)").arg(open);
    return found.join(QStringLiteral("; "));
}

} // namespace kvtest
