#include "DatabaseLabel.h"

#include <QFileInfo>
#include <QUrl>

QString DatabaseLabel(const QString &target)
{
    const QUrl url(target);
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        return QFileInfo(target).fileName();
    const QString database = url.path(QUrl::FullyDecoded).mid(1);
    if (url.host().isEmpty())
        return database;
    QString server = url.host();
    if (url.port() != -1)
        server += QLatin1Char(':') + QString::number(url.port());
    return QStringLiteral("%1（服务器 %2）").arg(database, server);
}
