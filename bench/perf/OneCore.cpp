#include "OneCore.h"

#include <QDir>

#include <stdexcept>

namespace {

// Every thread, since an affinity belongs to a thread and Qt has threads of its own.
void holdThreads(const cpu_set_t &cores)
{
    const QStringList threads =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &thread : threads)
        sched_setaffinity(thread.toInt(), sizeof cores, &cores);
}

cpu_set_t currentCores()
{
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (sched_getaffinity(0, sizeof cores, &cores) != 0)
        throw std::runtime_error("sched_getaffinity failed");
    return cores;
}

} // namespace

int AllowedCores()
{
    const cpu_set_t cores = currentCores();
    return CPU_COUNT(&cores);
}

cpu_set_t FirstCoreOnly()
{
    const cpu_set_t cores = currentCores();
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &cores)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    return one;
}

OneCore::OneCore()
    : m_before(currentCores())
{
    holdThreads(FirstCoreOnly());
}

OneCore::~OneCore()
{
    holdThreads(m_before);
}
