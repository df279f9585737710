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
inline void schedule_weak_repeating_timer(double interval, id target, SEL selector) {
  sim_schedule_weak_repeating_timer(interval, target, selector);
}
inline void* zero_alloc(size_t bytes) { return calloc(1, bytes); }
inline void release_memory(void* p) { free(p); }

}  // namespace corvane::platform
