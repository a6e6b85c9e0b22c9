#pragma once

#include <QString>
#include <exception>

// What the window needs to know of a failure: the kit's error number (0 for a failure that is not
// the kit's) and a description to show.
long ErrorNumber(const std::exception &error);
QString ErrorDescription(const std::exception &error);
// What to tell the user when reading failed: the component's own words for a table another user
// holds exclusively, else the description.
QString ReadFailureText(const std::exception &error);

// What to tell the user when writing a summary failed: the component's own words for each refusal
// the kit names (duplicate code, too long, deleted, in use, locked), else the description.
QString SaveFailureText(long number, const QString &description);

// Numbers the kit may report besides its own named ones.
constexpr long kErrInUseByOtherTablesToo = 3396;
constexpr long kErrDuplicateOrInUse =
    -2147220991; // 0x80040201: duplicate on saving, in use on deleting

bool IsInUseError(long number);
