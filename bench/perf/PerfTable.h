#pragma once

#include "PerfRun.h"

#include <QList>
#include <QStringList>
#include <QTextStream>

// The table the benchmark prints: what the figures were taken on, then every figure (min, median
// and max of its rounds) beside the engine's own between the rounds and warm, the ratio of the
// medians, and whether a target is met (from 100,000 summaries on; memory at 1,000,000); last, how
// each figure grows from the smallest ledger to the largest.
struct PerfRow
{
    QString engine;
    int summaries = 0;
    PerfFigure figure;
};

void PrintPerfTable(QTextStream &out, const QStringList &conditions, const QList<PerfRow> &rows);
// The growth section alone: the median at the largest size over the median at the smallest.
void PrintPerfGrowth(QTextStream &out, const QList<PerfRow> &rows);
