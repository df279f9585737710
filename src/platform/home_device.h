// The library's home on a device: the real Objective-C runtime, the
// injection framework's hooking facility and the system frameworks,
// compiled as C++ with clang for arm64-apple-ios13.0 (-fblocks).
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <objc/message.h>
#include <objc/runtime.h>

extern "C" void MSHookMessageEx(Class _class, SEL message, IMP hook, IMP* old);
#include <stdlib.h>

namespace corvane::platform {

template <typename R, typename... A>
inline R send(id receiver, SEL selector, A... args) {
  return reinterpret_cast<R (*)(id, SEL, A...)>(objc_msgSend)(receiver, selector, args...);
}
// One string object per literal for the life of the process: the library
// passes only literals, so their addresses identify them.
inline id constant_string(const char* literal) {
  struct Entry {
    const char* literal;
    id string;
  };
  static Entry table[128];
  static int used = 0;
  for (int i = 0; i < used; ++i)
    if (table[i].literal == literal) return table[i].string;
  id s = (id)CFStringCreateWithCString(nullptr, literal, kCFStringEncodingUTF8);
  if (used < 128) table[used++] = Entry{literal, s};
  return s;
}
inline bool os_at_least(int major, int minor, int patch) {
  (void)minor;
  (void)patch;
  if (major >= 14) {
    if (__builtin_available(iOS 14.0, *)) return true;
    return false;
  }
  return true;
}
inline void animate(double duration, void (*body)(void*), void* context) {
  void (^block)(void) = ^{ body(context); };
  send<void>((id)objc_getClass("UIView"), sel_registerName("animateWithDuration:animations:"),
             duration, (id)block);
}
// The block holds the target weakly (a zeroing weak cell it owns); once the
// target is gone, the block invalidates its timer.
inline void schedule_weak_repeating_timer(double interval, id target, SEL selector) {
  id* cell = static_cast<id*>(calloc(1, sizeof(id)));
  objc_storeWeak(cell, target);
  void (^tick)(id) = ^(id timer) {
    id strong = objc_loadWeakRetained(cell);
    if (!strong) {
      send<void>(timer, sel_registerName("invalidate"));
      return;
    }
    send<void>(strong, selector);
    objc_release(strong);
  };
  send<id>((id)objc_getClass("NSTimer"),
           sel_registerName("scheduledTimerWithTimeInterval:repeats:block:"), interval, (BOOL)true,
           (id)tick);
}
inline void* zero_alloc(size_t bytes) { return calloc(1, bytes); }
inline void release_memory(void* p) { free(p); }

}  // namespace corvane::platform
