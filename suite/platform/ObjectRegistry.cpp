#include "ObjectRegistry.h"

#include "TerminalService.h"

#include <QHash>
#include <stdexcept>

namespace ObjectRegistry {

namespace {

QHash<QString, Factory> &registry()
{
    // The suite's own objects are known from the start, as an installed suite would have them.
    static QHash<QString, Factory> objects{
        {QStringLiteral("SeatMisc.Console"), [] { return std::make_unique<TerminalService>(); }},
    };
    return objects;
}

} // namespace

void registerObject(const QString &progId, Factory factory)
{
    registry().insert(progId, std::move(factory));
}

void unregisterObject(const QString &progId)
{
    registry().remove(progId);
}

std::unique_ptr<QObject> CreateObject(const QString &progId)
{
    const auto it = registry().constFind(progId);
    if (it == registry().constEnd())
        throw std::runtime_error("ActiveX component can't create object: " + progId.toStdString());
    return (*it)();
}

} // namespace ObjectRegistry
