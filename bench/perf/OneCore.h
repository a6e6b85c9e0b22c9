#pragma once

#include <sched.h>

// Holds every thread of this process to one processor, the first of those it may run on, while it
// lives; then gives each thread back the processors it had. An action timed inside it meets a
// machine with one core, as many bookkeepers' machines are.
class OneCore final
{
public:
    OneCore();
    ~OneCore();
    OneCore(const OneCore &) = delete;
    OneCore &operator=(const OneCore &) = delete;

private:
    cpu_set_t m_before;
};

// The processors the calling thread may run on, and the first of them alone.
int AllowedCores();
cpu_set_t FirstCoreOnly();
