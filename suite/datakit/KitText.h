#pragma once

#include <QString>

namespace DataKit {

// The description of a kit error: the kit's own sentence for the number, followed by the detail
// (the engine's text or the kit's specifics) when there is one.
QString kitDescription(long number, const QString &detail = QString());

} // namespace DataKit
