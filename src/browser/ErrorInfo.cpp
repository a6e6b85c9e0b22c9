#include "ErrorInfo.h"

#include "DataKitError.h"
#include "StringTable.h"

long ErrorNumber(const std::exception &error)
{
    if (const auto *kitError = dynamic_cast<const DataKit::Error *>(&error))
        return kitError->number();
    return 0;
}

QString ErrorDescription(const std::exception &error)
{
    if (const auto *kitError = dynamic_cast<const DataKit::Error *>(&error))
        return kitError->description();
    return QString::fromLocal8Bit(error.what());
}

QString ReadFailureText(const std::exception &error)
{
    if (ErrorNumber(error) == DataKit::errHeldExclusively)
        return LoadResString(23);
    return ErrorDescription(error);
}

bool IsInUseError(long number)
{
    return number == DataKit::errInUseByOtherTables || number == kErrInUseByOtherTablesToo;
}

QString SaveFailureText(long number, const QString &description)
{
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
    return description;
}
