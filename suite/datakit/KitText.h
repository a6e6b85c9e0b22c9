#pragma once

#include <QString>

namespace DataKit {

// The description of a kit error: the kit's own sentence for the number, followed by the kit's
// specifics (in the same language) when there are any. The engine's text is never part of it: it
// travels as the error's detail.
QString kitDescription(long number, const QString &specifics = QString());
// The description of a database that cannot be opened: which one and why, said once.
QString cannotOpenDescription(const QString &target, const QString &reason);

} // namespace DataKit
