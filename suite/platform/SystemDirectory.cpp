#include "SystemDirectory.h"

#include <QDir>
#include <QStandardPaths>

QString SystemDirectory()
{
    QString dir = qEnvironmentVariable("KVDIGEST_SYSTEM_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return dir;
}
