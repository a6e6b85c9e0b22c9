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
    errNotUpdatable = 3027,  // a snapshot, a query without a keyed base table, a read-only database
    errNoPermission = 3033,  // the engine refuses the user access to a table
    errNoTransaction = 3034, // CommitTrans or Rollback without a transaction of the caller's
    errDiskFull = 3035,
    errIo = 3043,             // the disk or the network failed under the engine
    errCannotOpen = 3051,     // the database file or server cannot be opened
    errSyntax = 3075,         // the engine refused the statement's text
    errGeneral = 3146,        // any other engine failure
    errConnectionLost = 3151, // the connection broke; the next operation opens it again
    errNullNotAllowed = 3314, // a column that must have a value was given none
    errValidationRule = 3317, // a CHECK or another rule of the table refused the values
    errNoDatabase = 3420,     // the object is closed or was never opened
    errTypeMismatch = 3464,   // a value the column's type cannot take
};

// The one exception type of the kit: an error number, a description in the user's language and,
// for failures the engine reported, the engine's own text as a detail for whoever diagnoses it.
class DATAKIT_EXPORT Error : public std::exception
{
public:
    Error(long number, QString description, QString detail = QString());

    long number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const QString &detail() const noexcept { return m_detail; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    long m_number;
    QString m_description;
    QString m_detail;
    std::string m_what;
};

} // namespace DataKit
