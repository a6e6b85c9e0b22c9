#pragma once

#include "PerfRun.h"

#include <QList>
#include <QTextStream>

// The one table the benchmark prints: every figure beside its yardstick, the ratio, and whether a
// target is met (judged at 100,000 summaries and more, where the targets apply).
struct PerfRow
{
    QString engine;
    int summaries = 0;
    PerfFigure figure;
};

void PrintPerfTable(QTextStream &out, const QList<PerfRow> &rows);
