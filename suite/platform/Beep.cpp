#include "Beep.h"

#include <QApplication>
#include <atomic>

namespace {
std::atomic<long> beeps{0};
}

void Beep()
{
    ++beeps;
    QApplication::beep();
}

long BeepCount()
{
    return beeps;
}
