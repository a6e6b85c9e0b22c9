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
