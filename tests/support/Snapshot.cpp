#include "Snapshot.h"

#include <QDir>
#include <QWidget>

namespace kvtest {

void snapshot(QWidget &window, const QString &name)
{
    const QString dir = qEnvironmentVariable("KVDIGEST_SNAPSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    window.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace kvtest
