#include "Guarded.h"

#include <exception>

bool Guarded(const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}
