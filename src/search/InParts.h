#pragma once

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sched.h>
#endif

// A scan over many summaries split into parts, each on a processor of its own.
namespace InParts {

// Fewer items than this are looked through on one processor: a thread costs more.
constexpr size_t kPartsFrom = 50000;

// The processors this process may run on.
inline size_t processors()
{
#ifdef __linux__
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return size_t(std::max(1, CPU_COUNT(&set)));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

inline size_t partsFor(size_t total)
{
    return total >= kPartsFrom ? processors() : 1;
}

// Calls scan(part, from, to) for each of parts parts of 0 .. total, the first on this thread.
template <typename Scan>
void run(size_t total, size_t parts, const Scan &scan)
{
    std::vector<std::thread> threads;
    for (size_t part = 1; part < parts; ++part)
        threads.emplace_back(scan, part, total * part / parts, total * (part + 1) / parts);
    scan(size_t(0), size_t(0), total / parts);
    for (std::thread &thread : threads)
        thread.join();
}

} // namespace InParts
