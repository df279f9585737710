// The services the simulated host provides the library's platform seam
// (src/platform/home_simulator.h) beyond the platform's own C names: a
// constant string, an animation whose body is a block, and a block literal
// taking one object. On a device the seam builds these from the
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

// A block taking one object (as a timer's block takes its timer), as the
// compiler makes a block literal on a device: invoke(context, argument) runs
// at each call, and dispose(context) (may be null) when the block is freed,
// so that what it captured goes with it. Autoreleased.
id sim_block_with_object(void (*invoke)(void* context, id argument), void* context,
                         void (*dispose)(void* context));
}
