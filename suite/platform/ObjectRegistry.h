#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// Creates suite objects by ProgID, late-bound: callers invoke their methods by name
// (QMetaObject::invokeMethod), so a missing or replaced object is only an error at run time.
namespace ObjectRegistry {

using Factory = std::function<std::unique_ptr<QObject>()>;

void registerObject(const QString &progId, Factory factory);
void unregisterObject(const QString &progId);
// Throws std::runtime_error when no object is registered under progId.
std::unique_ptr<QObject> CreateObject(const QString &progId);

} // namespace ObjectRegistry
