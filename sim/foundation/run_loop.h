// The main run loop's virtual clock and its timers.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

double run_loop_now();  // seconds since the process started
// Advances the clock by `seconds`; due timers fire in time order (a
// repeating timer once per interval passed).
void run_loop_advance(double seconds);

}  // namespace sim
