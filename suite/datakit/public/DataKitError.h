#pragma once

#include "datakit_export.h"

#include <QString>
#include <exception>
#include <string>

namespace DataKit {

// Error numbers the kit raises; callers branch on these, never on message text.
enum ErrorNumber : long {
    errNoCurrentRecord = 3021,
    errDuplicate = 3022,
    errFieldTooLong = 3163,
    errDeletedByOther = 3167,
    errInUseByOtherTables = 3200,
    errLockedByOther = 3260,
    errHeldExclusively = 3261,
    errValidationRule = 3317, // a value the table's CHECK constraint refuses (size, range, type)
    errNotUpdatable = 3027,   // writing through a snapshot or a recordset without a base table key
    errNoDatabase = 3420,     // the object is closed or was never opened
    errCannotOpen = 3051,     // the database file or server cannot be opened
    errSyntax = 3075,         // the engine refused the statement's text
    errGeneral = 3146,        // any other engine failure
};

// The one exception type of the kit: an error number plus a human-readable description.
class DATAKIT_EXPORT Error : public std::exception
{
public:
    Error(long number, QString description);

    long number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    long m_number;
    QString m_description;
    std::string m_what;
};

} // namespace DataKit
