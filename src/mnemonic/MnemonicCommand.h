#pragma once

#include <QStringList>

#include <cstdio>

// The mnemonic code on the command line, for hosts that fill the codes of imported summaries.
// With texts, writes the mnemonic of each text on its own line; without, reads UTF-8 lines from
// in until its end and writes the mnemonic of each line on its own line. Returns the exit code, 0.
int RunMnemonicCommand(const QStringList &texts, FILE *in, FILE *out);
