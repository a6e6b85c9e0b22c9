#include "ErrorInfo.h"

#include "DataKitError.h"

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

bool IsInUseError(long number)
{
    return number == DataKit::errInUseByOtherTables || number == kErrInUseByOtherTablesToo;
}
