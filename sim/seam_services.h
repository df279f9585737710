// The services the simulated host provides the library's platform seam
// (src/platform/home_simulator.h) beyond the platform's own C names: a
// constant string, an animation whose body is a block, and a timer that
// holds its target weakly. On a device the seam builds these from the
// platform's own calls; here the host supplies them.
//
// This is their only declaration. The seam includes it, and so does every
// file that defines one of them, so the compiler checks each definition
// against it: with C linkage, a second declaration that had drifted from
// the definition would still link.
//
// Freestanding: the library includes it through its seam, so it uses
// nothing of the C++ standard library.
#pragma once

#include "sim/runtime/objc.h"

extern "C" {
// The string object for a UTF-8 literal: one immortal object per text for
// the life of the process, as the compiler's constant strings are.
id sim_constant_string(const char* utf8);

// Runs body(context) as the animations block of UIView's
// animateWithDuration:animations:, sent by message so that hooks on it run.
void sim_animate(double duration, void (*body)(void*), void* context);

// A repeating timer that sends `selector` to `target` every `interval`
// seconds while the target lives, without keeping it alive: once the target
// is gone the timer stops.
void sim_schedule_weak_repeating_timer(double interval, id target, SEL selector);
}
