#include "PerfMachine.h"

#include <QFile>
#include <QRegularExpression>

#include <unistd.h>

namespace {

QString procFile(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The value of the first "name : value" line of a /proc file.
QString procField(const QString &text, const QString &name)
{
    const QRegularExpression line(QStringLiteral("^%1\\s*:\\s*(.*)$").arg(name),
                                  QRegularExpression::MultilineOption);
    return line.match(text).captured(1).trimmed();
}

} // namespace

PerfMachine ThisMachine()
{
    PerfMachine machine;
    machine.cpu = procField(procFile("/proc/cpuinfo"), QStringLiteral("model name"));
    if (machine.cpu.isEmpty())
        machine.cpu = QStringLiteral("unknown processor");
    machine.cores = int(sysconf(_SC_NPROCESSORS_ONLN));
    const QString total = procField(procFile("/proc/meminfo"), QStringLiteral("MemTotal"));
    machine.memoryGiB = total.section(QLatin1Char(' '), 0, 0).toDouble() / (1024.0 * 1024.0);
    return machine;
}

QString LoadAverage()
{
    return procFile("/proc/loadavg").section(QLatin1Char(' '), 0, 2);
}

QStringList DescribeConditions(const PerfConditions &c)
{
    QStringList lines;
    lines << QStringLiteral("Machine: %1, %2 cores online, %3 GiB of memory")
                 .arg(c.machine.cpu)
                 .arg(c.machine.cores)
                 .arg(c.machine.memoryGiB, 0, 'f', 1);
    lines << QStringLiteral("Load average (1, 5, 15 min): %1 at the start, %2 at the end")
                 .arg(c.loadAtStart, c.loadAtEnd);
    if (c.pinned)
        lines << QStringLiteral("Held to one core: yes, BENCH_PIN=1 ran each engine and size on "
                                "one processor (the PostgreSQL server was not held)");
    else
        lines << QStringLiteral("Held to one core: no, each run could use %1 processors "
                                "(BENCH_PIN=1 holds each to one)")
                     .arg(c.coresPerRun);
    return lines;
}
