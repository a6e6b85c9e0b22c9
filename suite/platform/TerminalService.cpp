#include "TerminalService.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QString fileNameSafe(QString id)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_-]"));
    return id.remove(unsafe).left(32);
}

} // namespace

QString TerminalService::GetSessionId() const
{
    // The desktop's own session id first; the kernel's audit session as a fallback, where
    // 4294967295 means "no login session".
    const QString desktop = qEnvironmentVariable("XDG_SESSION_ID");
    if (!desktop.isEmpty())
        return fileNameSafe(desktop);
    QFile audit(QStringLiteral("/proc/self/sessionid"));
    if (audit.open(QIODevice::ReadOnly)) {
        const QString id = QString::fromLatin1(audit.readAll()).trimmed();
        if (!id.isEmpty() && id != QLatin1String("4294967295"))
            return fileNameSafe(id);
    }
    return {};
}
