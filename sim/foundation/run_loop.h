// The main run loop's virtual clock and its timers.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

double run_loop_now();  // seconds since the process started
// Advances the clock by `seconds`; due timers fire in time order (a
// repeating timer once per interval passed).
void run_loop_advance(double seconds);

}  // namespace sim

extern "C" {
// A repeating timer that sends `selector` to `target` every `interval`
// seconds while the target lives, without keeping it alive: once the target
// is gone the timer stops.
void sim_schedule_weak_repeating_timer(double interval, id target, SEL selector);
}
