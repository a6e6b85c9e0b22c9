#pragma once

#include "PerfRun.h"

#include <QList>
#include <QTextStream>

// The one table the benchmark prints: every figure beside its yardstick, the ratio, and whether a
// target is met (from 100,000 summaries on; memory at 1,000,000).
struct PerfRow
{
    QString engine;
    int summaries = 0;
    PerfFigure figure;
};

void PrintPerfTable(QTextStream &out, const QList<PerfRow> &rows);
