#pragma once

#include <QString>
#include <QStringList>

// What the figures were taken on: the machine, how busy it was, and whether each run was held to
// one core. Printed at the head of the table, since a figure means little without them.
struct PerfMachine
{
    QString cpu;
    int cores = 0;
    double memoryGiB = 0;
};

PerfMachine ThisMachine();
// The load averages over 1, 5 and 15 minutes, as /proc/loadavg gives them.
QString LoadAverage();

struct PerfConditions
{
    PerfMachine machine;
    QString loadAtStart;
    QString loadAtEnd;
    bool pinned = false; // BENCH_PIN=1: each run held to one core
    int coresPerRun = 0; // the most processors any run could use
};

QStringList DescribeConditions(const PerfConditions &conditions);
