#pragma once

#include <QString>

// The process's resident memory in bytes, as /proc gives it; 0 when it cannot be told.
long ResidentBytes();
// The bytes of a summary's four texts (code, text, mnemonic, account name) in UTF-8, on average:
// what a window holding them could not do without.
double TextBytesPerSummary(const QString &target);
