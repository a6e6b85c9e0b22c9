#pragma once

#include <QString>
#include <QVariant>
#include <memory>

namespace DataKit {
class Database;
class Recordset;
} // namespace DataKit

// Small data procedures shared by the whole component.
namespace MdlDigest {

// The host's database, as handed to QXDigest::Init; deletions run their statements through it.
extern std::shared_ptr<DataKit::Database> gdbObject;

// Null becomes "", any other value its text form.
QString NullToStr(const QVariant &value);
// "" becomes Null; any other text, blanks included, is kept.
QVariant StrToNull(const QString &text);
// Opens sql as a snapshot (readonly) or dynaset. Never throws: on any failure answers nullptr,
// after telling the user when another user holds the table exclusively.
std::shared_ptr<DataKit::Recordset> OpenRec(const std::shared_ptr<DataKit::Database> &database,
                                            const QString &sql, bool readonly,
                                            const QString &caption);
// The terminal session's id for per-session file names; "" when it cannot be told.
QString CurrentSessionId();

} // namespace MdlDigest
