#pragma once

#include <functional>

// Runs one step of a command and drops whatever it throws: a failed step must not stop the steps
// after it, and no failure may escape into the event loop. What it drops goes to the log category
// kvdigest.window. Answers whether the step completed.
bool Guarded(const std::function<void()> &step);
