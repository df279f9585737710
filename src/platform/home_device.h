// The library's home on a device: the real Objective-C runtime, the
// injection framework's hooking facility and the system frameworks. Built
// with clang for arm64-apple-ios13.0 (-fblocks, freestanding); the
// declarations come from the project's own headers in device/include, so no
// SDK is needed.
#pragma once

#include "c_library.h"
#include "core_foundation.h"
#include "core_graphics.h"
#include "foundation_types.h"
#include "objc_runtime.h"
#include "substrate.h"

// The blocks runtime's class of blocks made on the stack (libSystem).
extern "C" void* _NSConcreteStackBlock[32];

namespace corvane::platform {

// objc_msgSend cast to the method's own type, as the platform's headers
// require. A message to nil yields zero, and a structure result is zeroed
// here rather than trusted to the dispatcher: on arm64 a structure returned
// through memory is left untouched by a message to nil.
template <typename R, typename... A>
inline R send(id receiver, SEL selector, A... args) {
  if constexpr (__is_same(R, void)) {
    reinterpret_cast<void (*)(id, SEL, A...)>(objc_msgSend)(receiver, selector, args...);
  } else {
    if (!receiver) return R{};
    return reinterpret_cast<R (*)(id, SEL, A...)>(objc_msgSend)(receiver, selector, args...);
  }
}

// One string object per literal for the life of the process. The library
// passes only literals, so their addresses identify them; the table is large
// enough for every literal the library has, and a literal beyond it still
// gets a (new) string.
inline id constant_string(const char* literal) {
  struct Entry {
    const char* literal;
    id string;
  };
  static Entry table[256];
  static int used = 0;
  for (int i = 0; i < used; ++i)
    if (table[i].literal == literal) return table[i].string;
  id s = (id)CFStringCreateWithCString(nullptr, literal, kCFStringEncodingUTF8);
  if (used < 256) table[used++] = Entry{literal, s};
  return s;
}

// A stack block ready for the host. On arm64e (A12 and later) the blocks
// runtime calls `invoke` as `braa invoke, &invoke` and re-signs it so when it
// copies the block: it must be signed with key IA and the address of the
// field as discriminator. clang leaves it unsigned, so the library signs it
// here, on its own stack, before the host sees the block. Elsewhere nothing
// is signed.
struct BlockLiteralHead {
  void* isa;
  int flags;
  int reserved;
  void* invoke;
};
template <typename Block>
inline id host_block(Block block) {
#if __has_feature(ptrauth_calls)
  BlockLiteralHead* head = (BlockLiteralHead*)(void*)block;
  void* invoke = __builtin_ptrauth_strip(head->invoke, 0);
  head->invoke = __builtin_ptrauth_sign_unauthenticated(invoke, 0, (__UINTPTR_TYPE__)&head->invoke);
#endif
  return (id)block;
}

inline void animate(double duration, void (*body)(void*), void* context) {
  void (^block)(void) = ^{ body(context); };
  send<void>((id)objc_getClass("UIView"), sel_registerName("animateWithDuration:animations:"), duration,
             host_block(block));
}

}  // namespace corvane::platform

#include "platform/weak_timer.h"

namespace corvane::platform {

// The block frees its cell once the target is gone and the timer is
// invalidated: nothing calls it after that.
inline void schedule_weak_repeating_timer(double interval, id target, SEL selector) {
  WeakTimerTarget* w = weak_timer_target(target, selector);
  if (!w) return;
  void (^tick)(id) = ^(id timer) {
    if (!weak_timer_tick(w, timer)) weak_timer_target_free(w);
  };
  send<id>((id)objc_getClass("NSTimer"), sel_registerName("scheduledTimerWithTimeInterval:repeats:block:"),
           interval, (BOOL) true, host_block(tick));
}

inline void* zero_alloc(size_t bytes) { return calloc(1, bytes); }
inline void release_memory(void* p) { free(p); }

}  // namespace corvane::platform
