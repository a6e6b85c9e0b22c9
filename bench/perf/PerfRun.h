#pragma once

#include <QString>

#include <vector>

// One figure of the table: what the component did, round by round, and the engine's own figure for
// the same work on the same data, measured in the same run: once between the rounds and again
// warm (see PerfRounds.h).
struct PerfFigure
{
    QString action;
    QString unit; // "ms", "B", "lines/s"
    std::vector<double> values;
    std::vector<double> between;
    std::vector<double> warm;
    QString baselineWhat;
    QString target;      // "2x" (at most twice the baseline), "10x", "400 B", "2M lines/s", "" none
    bool failed = false; // the action met a message box it should not have
};

// The window's actions on a ledger of n summaries (an SQLite file or a postgresql:// URL), each
// beside the engine's raw figure. Changes the ledger.
std::vector<PerfFigure> RunWindowFigures(const QString &target, int n);
// The picker alone and beside the window on the same ledger: its memory, its reading of the
// summaries and its keystrokes.
std::vector<PerfFigure> RunPickerFigures(const QString &target, int n);
// The mnemonic of the ledger's n texts, a line each, against a plain iconv loop over them.
std::vector<PerfFigure> RunMnemonicFigures(int n);
