// The simulated Objective-C runtime's public face: the platform's C names and
// types, plus the typed send that plays the part of a cast objc_msgSend.
//
// Freestanding: this header is included by the library through its platform
// seam, so it uses nothing of the C++ standard library.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "sim/runtime/cgtypes.h"

typedef struct objc_object* id;
struct CGImage;  // CoreGraphics' image, encoded by name
typedef struct objc_class* Class;
typedef const struct objc_selector* SEL;
typedef struct objc_ivar* Ivar;  // opaque: the runtime's record of an instance variable
typedef void (*IMP)(void);
typedef bool BOOL;  // arm64: BOOL is the C++ bool
typedef long NSInteger;
typedef unsigned long NSUInteger;

#define YES true
#define NO false

enum objc_AssociationPolicy : uintptr_t {
  OBJC_ASSOCIATION_ASSIGN = 0,
  OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1,
  OBJC_ASSOCIATION_COPY_NONATOMIC = 3,
  OBJC_ASSOCIATION_RETAIN = 01401,
  OBJC_ASSOCIATION_COPY = 01403,
};

// A typed send's signature: the type encoding the caller's C++ types stand
// for ("v@:B", "@@:@", ...). One static object per distinct signature, so a
// method can remember the last signature it was checked against.
struct sim_signature {
  const char* types;
};

extern "C" {
Class objc_getClass(const char* name);
Class object_getClass(id obj);
const char* class_getName(Class cls);
const char* object_getClassName(id obj);
Class class_getSuperclass(Class cls);
BOOL class_isMetaClass(Class cls);
BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types);
BOOL class_respondsToSelector(Class cls, SEL sel);
Class objc_allocateClassPair(Class superclass, const char* name, size_t extraBytes);
void objc_registerClassPair(Class cls);
Ivar class_getInstanceVariable(Class cls, const char* name);
id object_getIvar(id obj, Ivar ivar);
void object_setIvarWithStrongDefault(id obj, Ivar ivar, id value);
IMP class_getMethodImplementation(Class cls, SEL sel);
const char* sim_class_method_types(Class cls, SEL sel);  // nullptr if none
SEL sel_registerName(const char* name);
SEL sel_getUid(const char* name);
const char* sel_getName(SEL sel);
void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy);
id objc_getAssociatedObject(id object, const void* key);
void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* result);

id objc_retain(id obj);
void objc_release(id obj);
id objc_autorelease(id obj);
id objc_storeWeak(id* location, id obj);
id objc_loadWeak(id* location);
id objc_loadWeakRetained(id* location);
void objc_destroyWeak(id* location);
void* objc_autoreleasePoolPush(void);
void objc_autoreleasePoolPop(void* token);

// Bumped by every method change in the process and by every process start
// and end: a cached lookup made under another epoch is stale.
extern uint64_t sim_dispatch_epoch;

// Looks up the implementation that a typed send reaches: the receiver's
// class's method for sel, checked against the caller's signature. Aborts
// with a message naming class and selector when the class does not answer
// sel, or when the caller's types disagree with the method's encoding.
IMP sim_lookup_checked(id receiver, SEL sel, const sim_signature* sig);
// The same starting at a given class (a send to super).
IMP sim_lookup_super_checked(Class cls, SEL sel, const sim_signature* sig, id receiver);
}

// ---------------------------------------------------------------------------
// Type encodings of C++ types, computed at compile time.
namespace sim_enc {

template <size_t N>
struct Str {
  char data[N + 1];
  constexpr size_t size() const { return N; }
};

constexpr size_t len(const char* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

template <typename T>
struct enc;  // undefined for types without an encoding: a compile error
// clang-format off
template <> struct enc<void> { static constexpr const char* s = "v"; };
template <> struct enc<id> { static constexpr const char* s = "@"; };
template <> struct enc<Class> { static constexpr const char* s = "#"; };
template <> struct enc<SEL> { static constexpr const char* s = ":"; };
template <> struct enc<bool> { static constexpr const char* s = "B"; };
template <> struct enc<char> { static constexpr const char* s = "c"; };
template <> struct enc<signed char> { static constexpr const char* s = "c"; };
template <> struct enc<unsigned char> { static constexpr const char* s = "C"; };
template <> struct enc<short> { static constexpr const char* s = "s"; };
template <> struct enc<unsigned short> { static constexpr const char* s = "S"; };
template <> struct enc<int> { static constexpr const char* s = "i"; };
template <> struct enc<unsigned int> { static constexpr const char* s = "I"; };
template <> struct enc<long> { static constexpr const char* s = "q"; };
template <> struct enc<unsigned long> { static constexpr const char* s = "Q"; };
template <> struct enc<long long> { static constexpr const char* s = "q"; };
template <> struct enc<unsigned long long> { static constexpr const char* s = "Q"; };
template <> struct enc<float> { static constexpr const char* s = "f"; };
template <> struct enc<double> { static constexpr const char* s = "d"; };
template <> struct enc<const char*> { static constexpr const char* s = "*"; };
template <> struct enc<char*> { static constexpr const char* s = "*"; };
template <> struct enc<void*> { static constexpr const char* s = "^v"; };
template <> struct enc<const void*> { static constexpr const char* s = "^v"; };
template <> struct enc<CGPoint> { static constexpr const char* s = "{CGPoint=dd}"; };
template <> struct enc<CGSize> { static constexpr const char* s = "{CGSize=dd}"; };
template <> struct enc<CGRect> { static constexpr const char* s = "{CGRect={CGPoint=dd}{CGSize=dd}}"; };
template <> struct enc<double*> { static constexpr const char* s = "^d"; };
template <> struct enc<bool*> { static constexpr const char* s = "^B"; };
template <> struct enc<id*> { static constexpr const char* s = "^@"; };
template <> struct enc<CGImage*> { static constexpr const char* s = "^{CGImage=}"; };
// Other pointers (CGImageRef, CF types) are checked as untyped pointers.
template <typename T> struct enc<T*> { static constexpr const char* s = "^v"; };
// clang-format on

template <typename... Ts>
constexpr size_t total_len() {
  return (len(enc<Ts>::s) + ... + 0);
}

template <typename R, typename... A>
constexpr Str<total_len<R>() + 2 + total_len<A...>()> make() {
  Str<total_len<R>() + 2 + total_len<A...>()> out{};
  size_t at = 0;
  auto put = [&](const char* s) {
    for (size_t i = 0; s[i]; ++i) out.data[at++] = s[i];
  };
  put(enc<R>::s);
  put("@:");
  (put(enc<A>::s), ...);
  out.data[at] = 0;
  return out;
}

// The compiler's arm64 encoding of a method, with frame offsets: the
// result, the frame size, then the receiver at 0, the selector at 8 and each
// argument at the running offset, each argument's size rounded up to 4
// ("v28@0:8B16q20").
struct Frame {
  char data[256];
};

constexpr size_t put_text(char* out, size_t at, const char* s) {
  for (size_t i = 0; s[i]; ++i) out[at++] = s[i];
  return at;
}

constexpr size_t put_number(char* out, size_t at, size_t n) {
  char digits[20] = {};
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n);
  while (count) out[at++] = digits[--count];
  return at;
}

template <typename T>
constexpr size_t frame_slot() {
  return (sizeof(T) + 3) / 4 * 4;
}

template <typename R, typename... A>
constexpr Frame make_frame() {
  Frame f{};
  size_t at = put_text(f.data, 0, enc<R>::s);
  at = put_number(f.data, at, 16 + (frame_slot<A>() + ... + 0));
  at = put_text(f.data, at, "@0:8");
  [[maybe_unused]] size_t offset = 16;  // unused for a method without arguments
  ((at = put_number(f.data, put_text(f.data, at, enc<A>::s), offset), offset += frame_slot<A>()), ...);
  f.data[at] = 0;
  return f;
}

template <typename R, typename... A>
struct FrameOf {
  static constexpr Frame value = make_frame<R, A...>();
};

template <typename R, typename... A>
constexpr const char* frame_encoding() {
  return FrameOf<R, A...>::value.data;
}

template <typename R, typename... A>
struct Sig {
  static constexpr auto str = make<R, A...>();
  static constexpr sim_signature value{str.data};
};

template <typename R, typename... A>
constexpr const sim_signature* signature() {
  return &Sig<R, A...>::value;
}

}  // namespace sim_enc

// ---------------------------------------------------------------------------
// Typed sends. A message to nil does nothing and yields zero.
namespace sim {

struct SendCacheEntry {
  Class cls;
  SEL sel;
  IMP imp;
  uint64_t epoch;
};

// Each signature keeps a small direct-mapped cache of (class, selector) to
// implementation. An entry is only made after the checked lookup succeeded
// for that signature, so a hit needs no further type check.
template <typename R, typename... A>
inline IMP lookup(id receiver, SEL sel) {
  static SendCacheEntry cache[32];
  Class cls = *reinterpret_cast<Class*>(receiver);  // isa is an object's first word
  uintptr_t h = (reinterpret_cast<uintptr_t>(cls) >> 4) ^ (reinterpret_cast<uintptr_t>(sel) >> 3);
  SendCacheEntry& e = cache[h & 31];
  if (e.cls == cls && e.sel == sel && e.epoch == sim_dispatch_epoch) return e.imp;
  IMP imp = sim_lookup_checked(receiver, sel, sim_enc::signature<R, A...>());
  e = SendCacheEntry{cls, sel, imp, sim_dispatch_epoch};
  return imp;
}

template <typename R, typename... A>
inline R send(id receiver, SEL sel, A... args) {
  if (!receiver) {
    if constexpr (!__is_same(R, void)) return R{};
    else return;
  }
  IMP imp = lookup<R, A...>(receiver, sel);
  return reinterpret_cast<R (*)(id, SEL, A...)>(imp)(receiver, sel, args...);
}

template <typename R, typename... A>
inline R send_super(Class from, id receiver, SEL sel, A... args) {
  if (!receiver) {
    if constexpr (!__is_same(R, void)) return R{};
    else return;
  }
  IMP imp = sim_lookup_super_checked(from, sel, sim_enc::signature<R, A...>(), receiver);
  return reinterpret_cast<R (*)(id, SEL, A...)>(imp)(receiver, sel, args...);
}

}  // namespace sim
