// The seam between the library and its host. Everything the library asks of
// the platform (the runtime, the hooking facility, strings, the system
// version, animation, memory, bitmap drawing, notification centres) comes
// through this header; nothing else in the library knows which home it is
// built for.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(__APPLE__)
#include "platform/home_device.h"
#else
#include "platform/home_simulator.h"
#endif

// A selector or constant string looked up once per load of the library, for
// the hot paths (layout passes) that send the same messages again and again.
#define CV_SEL(name)                           \
  ([]() -> SEL {                               \
    static SEL cached_ = ::corvane::sel(name); \
    return cached_;                            \
  }())
#define CV_STR(text)                          \
  ([]() -> id {                               \
    static id cached_ = ::corvane::str(text); \
    return cached_;                           \
  }())

namespace corvane {

inline SEL sel(const char* name) { return sel_registerName(name); }
inline Class cls(const char* name) { return objc_getClass(name); }

// A message to an object or class, typed as the method is: the platform's
// dispatcher cast to R(id, SEL, A...). A message to nil yields zero.
template <typename R, typename... A>
inline R msg(id receiver, SEL selector, A... args) {
  return platform::send<R>(receiver, selector, args...);
}
template <typename R, typename... A>
inline R msg(Class receiver, SEL selector, A... args) {
  return platform::send<R>(reinterpret_cast<id>(receiver), selector, args...);
}

// A constant string object for a literal (keys, names, paths).
inline id str(const char* literal) { return platform::constant_string(literal); }

// The same constant string as CoreFoundation takes it (toll-free bridged;
// C++ wants the cast spelled out on a device).
inline CFStringRef cf_str(const char* literal) { return reinterpret_cast<CFStringRef>(str(literal)); }

// Whether the running system is at least major.minor.patch, as the process
// reports it (-[NSProcessInfo operatingSystemVersion]): asked of the system
// at run time in both homes, since the compiler's availability check needs a
// runtime helper that a device build here cannot link.
inline bool os_at_least(NSInteger major, NSInteger minor, NSInteger patch) {
  id info = msg<id>(cls("NSProcessInfo"), CV_SEL("processInfo"));
  if (!info) return false;
  const NSOperatingSystemVersion v = msg<NSOperatingSystemVersion>(info, CV_SEL("operatingSystemVersion"));
  if (v.majorVersion != major) return v.majorVersion > major;
  if (v.minorVersion != minor) return v.minorVersion > minor;
  return v.patchVersion >= patch;
}

// Whether the running system is iOS 14.0.0 or later.
inline bool system_is_ios14_or_later() { return os_at_least(14, 0, 0); }

// UIView animateWithDuration:animations: with a body given as a function
// and its context; the platform turns it into a block.
inline void animate(double duration, void (*body)(void*), void* context) {
  platform::animate(duration, body, context);
}

// A repeating timer on the main run loop that sends `selector` (no
// arguments) to `target` every `interval` seconds for as long as the target
// lives, without keeping it alive.
inline void schedule_weak_repeating_timer(double interval, id target, SEL selector) {
  platform::schedule_weak_repeating_timer(interval, target, selector);
}

// Zero-filled memory, and its release.
inline void* zero_alloc(size_t bytes) { return platform::zero_alloc(bytes); }
inline void release_memory(void* p) { platform::release_memory(p); }

}  // namespace corvane

namespace corvane {

// Calls a hook's saved implementation with the receiver, the selector and
// the arguments unchanged.
template <typename R, typename... A>
inline R call_saved(IMP saved, id self, SEL cmd, A... args) {
  return reinterpret_cast<R (*)(id, SEL, A...)>(saved)(self, cmd, args...);
}

}  // namespace corvane
