// The library's home on Linux: the simulated host. Only this header and the
// platform seam include the simulator's headers, all of them freestanding.
#pragma once

#include <stdlib.h>  // calloc, free: the C library's, not C++'s

#include "sim/foundation/CFNotificationCenter.h"
#include "sim/foundation/NSProcessInfo.h"
#include "sim/graphics/CoreGraphics.h"
#include "sim/runtime/objc.h"
#include "sim/seam_services.h"

namespace corvane::platform {

template <typename R, typename... A>
inline R send(id receiver, SEL selector, A... args) {
  return sim::send<R>(receiver, selector, args...);
}
inline id constant_string(const char* literal) { return sim_constant_string(literal); }
inline void animate(double duration, void (*body)(void*), void* context) {
  sim_animate(duration, body, context);
}
inline void* zero_alloc(size_t bytes) { return calloc(1, bytes); }
inline void release_memory(void* p) { free(p); }

}  // namespace corvane::platform

#include "platform/weak_timer.h"

namespace corvane::platform {

// The host's block frees the cell when the block itself is freed (the timer
// releases it once invalidated, or the process ends).
inline void schedule_weak_repeating_timer(double interval, id target, SEL selector) {
  WeakTimerTarget* w = weak_timer_target(target, selector);
  if (!w) return;
  id tick = sim_block_with_object(
      [](void* context, id timer) { weak_timer_tick(static_cast<WeakTimerTarget*>(context), timer); }, w,
      [](void* context) { weak_timer_target_free(static_cast<WeakTimerTarget*>(context)); });
  send<id>(reinterpret_cast<id>(objc_getClass("NSTimer")),
           sel_registerName("scheduledTimerWithTimeInterval:repeats:block:"), interval, true, tick);
}

}  // namespace corvane::platform
