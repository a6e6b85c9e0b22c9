#pragma once

#include <QString>
#include <exception>

// What the window needs to know of a failure: the kit's error number (0 for a failure that is not
// the kit's), a description in the user's language to show, and the detail behind it (the
// engine's own text) for whoever diagnoses it.
struct Failure
{
    long number = 0;
    QString description;
    QString detail;
};

Failure FailureOf(const std::exception &error);

// What to tell the user when reading failed: the component's own words for a table another user
// holds exclusively, else the description.
QString ReadFailureText(const Failure &failure);

// What to tell the user when writing a summary failed: the component's own words for each refusal
// the kit names (duplicate code, too long, deleted, in use, locked), else the description.
QString SaveFailureText(const Failure &failure);

// Numbers the kit may report besides its own named ones.
constexpr long kErrInUseByOtherTablesToo = 3396;
constexpr long kErrDuplicateOrInUse =
    -2147220991; // 0x80040201: duplicate on saving, in use on deleting

bool IsInUseError(long number);
