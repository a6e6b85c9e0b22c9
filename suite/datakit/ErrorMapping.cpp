// The engines' failures as the kit's error numbers, by native code only: SQLite's extended result
// codes, PostgreSQL's SQLSTATE. The engine's text never decides anything; it is kept as a detail.
#include "ErrorMapping.h"

namespace DataKit {

namespace {

// SQLite primary result codes (the low byte of an extended code).
enum : int {
    sqliteError = 1,
    sqlitePerm = 3,
    sqliteBusy = 5,
    sqliteLocked = 6,
    sqliteNoMem = 7,
    sqliteReadOnly = 8,
    sqliteIoErr = 10,
    sqliteCorrupt = 11,
    sqliteFull = 13,
    sqliteCantOpen = 14,
    sqliteTooBig = 18,
    sqliteConstraint = 19,
    sqliteMismatch = 20,
    sqliteAuth = 23,
    sqliteNotADatabase = 26,
};

long lockNumber(Activity activity)
{
    return activity == Activity::Writing ? errLockedByOther : errHeldExclusively;
}

} // namespace

long sqliteErrorNumber(int extended, Activity activity)
{
    switch (extended) {
    case 1555: // SQLITE_CONSTRAINT_PRIMARYKEY
    case 2067: // SQLITE_CONSTRAINT_UNIQUE
        return errDuplicate;
    case 787: // SQLITE_CONSTRAINT_FOREIGNKEY
        return errInUseByOtherTables;
    case 1299: // SQLITE_CONSTRAINT_NOTNULL
        return errNullNotAllowed;
    default:
        break;
    }
    switch (extended & 0xff) {
    case sqliteBusy:
    case sqliteLocked:
        return lockNumber(activity);
    case sqliteError:
        return errSyntax;
    case sqliteConstraint: // CHECK, a trigger's refusal and the rest
        return errValidationRule;
    case sqliteReadOnly:
        return errNotUpdatable;
    case sqliteMismatch:
        return errTypeMismatch;
    case sqliteTooBig:
        return errFieldTooLong;
    case sqlitePerm:
    case sqliteAuth:
        return errNoPermission;
    case sqliteFull:
    case sqliteNoMem:
        return errDiskFull;
    case sqliteIoErr:
        return errIo;
    case sqliteCorrupt:
    case sqliteNotADatabase:
    case sqliteCantOpen:
        return errCannotOpen;
    default:
        return errGeneral;
    }
}

long postgresErrorNumber(const QString &state, Activity activity)
{
    static const struct
    {
        const char *state;
        long number;
    } exact[] = {
        {"23505", errDuplicate},
        {"22001", errFieldTooLong},
        {"23503", errInUseByOtherTables},
        {"23001", errInUseByOtherTables},
        {"23502", errNullNotAllowed},
        {"25006", errNotUpdatable},
        {"42501", errNoPermission},
        {"22P02", errTypeMismatch},
        {"22003", errTypeMismatch},
        {"22007", errTypeMismatch},
        {"22008", errTypeMismatch},
        {"22018", errTypeMismatch},
        {"42804", errTypeMismatch},
        {"57P01", errConnectionLost},
        {"57P02", errConnectionLost},
        {"57P03", errConnectionLost},
        {"58030", errIo},
        {"XX001", errIo},
        {"XX002", errIo},
    };
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01"))
        return lockNumber(activity);
    for (const auto &entry : exact) {
        if (state == QLatin1String(entry.state))
            return entry.number;
    }
    static const struct
    {
        const char *prefix;
        long number;
    } classes[] = {
        {"23", errValidationRule}, {"42", errSyntax},       {"08", errConnectionLost},
        {"53", errDiskFull},       {"28", errNoPermission},
    };
    for (const auto &entry : classes) {
        if (state.startsWith(QLatin1String(entry.prefix)))
            return entry.number;
    }
    return errGeneral;
}

} // namespace DataKit
