#include "ErrorInfo.h"

#include "DataKitError.h"
#include "StringTable.h"

Failure FailureOf(const std::exception &error)
{
    if (const auto *kitError = dynamic_cast<const DataKit::Error *>(&error))
        return {kitError->number(), kitError->description(), kitError->detail()};
    // Not the database's: the component's own words, the program's text as the detail.
    return {0, LoadResString(132), QString::fromLocal8Bit(error.what())};
}

bool IsInUseError(long number)
{
    return number == DataKit::errInUseByOtherTables || number == kErrInUseByOtherTablesToo;
}

QString ReadFailureText(const Failure &failure)
{
    if (failure.number == DataKit::errHeldExclusively)
        return LoadResString(23);
    return failure.description;
}

QString SaveFailureText(const Failure &failure)
{
    const long number = failure.number;
    if (number == DataKit::errDuplicate || number == kErrDuplicateOrInUse)
        return LoadResStrings({104, 2, 105});
    if (number == DataKit::errFieldTooLong)
        return LoadResString(85);
    if (number == DataKit::errDeletedByOther)
        return LoadResStrings({104, 2, 107});
    if (IsInUseError(number))
        return LoadResStrings({104, 2, 106});
    if (number == DataKit::errLockedByOther)
        return LoadResString(84);
    return failure.description;
}
