// The simulated host's side of every symbol the phone's library imports:
// the same C functions the native build calls, reached through stubs that
// pass the guest's arguments by each function's known type. Functions that
// take code from the library (a method, a hook, a callback) get a host-callable
// version of it; calloc and free serve the guest heap.
#include <cstring>

#include "sim/emulation/emulated_library.h"
#include "sim/foundation/CFNotificationCenter.h"
#include "sim/foundation/CFString.h"
#include "sim/graphics/CoreGraphics.h"
#include "sim/runtime/objc.h"
#include "sim/runtime/runtime.h"

namespace sim::emulation {
namespace {

std::string method_name(Class cls, SEL sel) {
  return std::string(class_isMetaClass(cls) ? "+[" : "-[") + class_getName(cls) + " " + sel_getName(sel) +
         "]";
}

// objc_msgSend: the receiver's method, called by its own type encoding, its
// arguments checked as the encoding says.
void message_send(EmulatedLibrary& lib, void*) {
  id receiver = reinterpret_cast<id>(lib.reg_x(0));
  SEL sel = reinterpret_cast<SEL>(lib.reg_x(1));
  if (!receiver) {
    lib.clear_result_registers();
    return;
  }
  if (!sim::is_live_object(receiver)) lib.refuse("objc_msgSend", 0, lib.reg_x(0), "not a live object");
  if (!sim::is_selector(sel)) lib.refuse("objc_msgSend", 1, lib.reg_x(1), "not a selector");
  Class cls = object_getClass(receiver);
  const MethodFamily family = method_family(sel_getName(sel));
  const std::string name = method_name(cls, sel);
  if (family == MethodFamily::Dealloc)
    lib.crash(name + ": the library sent dealloc, which only the runtime may");
  const char* types = sim_class_method_types(cls, sel);
  IMP imp = types ? class_getMethodImplementation(cls, sel) : nullptr;
  if (!types || !imp) {
    const bool meta = class_isMetaClass(cls);
    sim::fatal(std::string(meta ? "+[" : "-[") + class_getName(cls) + " " + sel_getName(sel) +
               "]: unrecognized selector sent to " + (meta ? "class" : "instance"));
  }
  // The library's references, counted as the platform's rules have them.
  if (family == MethodFamily::Release || family == MethodFamily::Init) lib.release_owned(lib.reg_x(0), name);
  lib.call_host(reinterpret_cast<void*>(imp), lib.signature(types), nullptr, name);
  if (family == MethodFamily::Owning || family == MethodFamily::Init || family == MethodFamily::Retain)
    lib.ownership().gained(reinterpret_cast<const void*>(lib.reg_x(0)));
}

// The register arguments of a custom import, checked as a typed one's are.
void admit_registers(EmulatedLibrary& lib, const char* name, const char* checks, uint64_t* regs) {
  const size_t n = std::strlen(checks);
  void* all[8];
  for (size_t i = 0; i < n; ++i) {
    regs[i] = lib.reg_x(static_cast<int>(i));
    all[i] = &regs[i];
  }
  for (size_t i = 0; i < n; ++i) lib.admit(checks[i], i, &regs[i], all, name);
}

void class_add_method(EmulatedLibrary& lib, void*) {
  uint64_t regs[4];
  admit_registers(lib, "class_addMethod", "csfz", regs);
  Class cls = reinterpret_cast<Class>(regs[0]);
  SEL sel = reinterpret_cast<SEL>(regs[1]);
  const uint64_t imp = regs[2];
  const char* types = reinterpret_cast<const char*>(regs[3]);
  BOOL added = NO;
  if (types && imp)
    added = class_addMethod(cls, sel, reinterpret_cast<IMP>(lib.host_callable(imp, types)), types);
  lib.set_reg_x(0, added ? 1 : 0);
}

void hook_message(EmulatedLibrary& lib, void*) {
  uint64_t regs[4];
  admit_registers(lib, "MSHookMessageEx", "csfp", regs);
  Class cls = reinterpret_cast<Class>(regs[0]);
  SEL sel = reinterpret_cast<SEL>(regs[1]);
  const uint64_t replacement = regs[2];
  auto* slot = reinterpret_cast<uint64_t*>(regs[3]);
  const char* found = cls && sel ? sim_class_method_types(cls, sel) : nullptr;
  // A hook of a method the class lacks keeps the facility's own behaviour;
  // the replacement is then typed as a plain message.
  const std::string types = found ? found : "v@:";
  IMP saved = nullptr;
  MSHookMessageEx(cls, sel,
                  replacement ? reinterpret_cast<IMP>(lib.host_callable(replacement, types)) : nullptr,
                  slot ? &saved : nullptr);
  // Handed back as the platform's runtime hands it: on arm64e signed IA/0.
  if (slot)
    *slot = saved ? lib.code_for_guest(lib.guest_callable(reinterpret_cast<void*>(saved), types, nullptr,
                                                          "the saved " + method_name(cls, sel)))
                  : 0;
}

void add_observer(EmulatedLibrary& lib, void*) {
  uint64_t regs[6];
  admit_registers(lib, "CFNotificationCenterAddObserver", "n-fod-", regs);
  auto center = reinterpret_cast<CFNotificationCenterRef>(regs[0]);
  auto observer = reinterpret_cast<const void*>(regs[1]);
  const uint64_t callback = regs[2];
  auto name = reinterpret_cast<CFStringRef>(regs[3]);
  auto object = reinterpret_cast<const void*>(regs[4]);
  auto behaviour = static_cast<CFNotificationSuspensionBehavior>(regs[5]);
  auto host =
      callback ? reinterpret_cast<CFNotificationCallback>(lib.host_callable(callback, "v^v^v@^v@")) : nullptr;
  CFNotificationCenterAddObserver(center, observer, host, name, object, behaviour);
}

void guest_calloc(EmulatedLibrary& lib, void*) {
  lib.set_reg_x(0, lib.heap().allocate(lib.reg_x(0), lib.reg_x(1)));
}

void guest_free(EmulatedLibrary& lib, void*) {
  const uint64_t p = lib.reg_x(0);
  if (!lib.heap().release(p)) {
    char text[80];
    std::snprintf(text, sizeof text, "free of 0x%llx, which the library never allocated",
                  static_cast<unsigned long long>(p));
    lib.crash(text);
  }
}

void stack_check_failed(EmulatedLibrary& lib, void*) {
  lib.crash("the library's stack protector found its stack overwritten");
}

void stub_binder(EmulatedLibrary& lib, void*) {
  lib.crash("a lazy binding was reached, though every import is bound at load");
}

// A C function of the host's, its type, and what each argument must be (the
// letters of EmulatedLibrary::admit).
struct Typed {
  const char* symbol;
  void* fn;
  const char* types;
  const char* checks;
  int releases = -1;          // the argument whose reference it gives up
  bool owned_result = false;  // it creates: the caller owns the result
};

template <typename F>
void* fn(F* f) {
  return reinterpret_cast<void*>(f);
}

const Typed kTyped[] = {
    {"_objc_getClass", fn(objc_getClass), "#*", "z"},
    {"_object_getClass", fn(object_getClass), "#@", "o"},
    {"_sel_registerName", fn(sel_registerName), ":*", "Z"},
    {"_objc_setAssociatedObject", fn(objc_setAssociatedObject), "v@^v@Q", "o-o-"},
    {"_objc_getAssociatedObject", fn(objc_getAssociatedObject), "@@^v", "o-"},
    {"_objc_storeWeak", fn(objc_storeWeak), "@^@@", "wo"},
    {"_objc_loadWeakRetained", fn(objc_loadWeakRetained), "@^@", "w", -1, true},
    {"_objc_destroyWeak", fn(objc_destroyWeak), "v^@", "w"},
    {"_objc_release", fn(objc_release), "v@", "o", 0},
    {"_objc_retain", fn(objc_retain), "@@", "o", -1, true},
    {"_objc_allocateClassPair", fn(objc_allocateClassPair), "##*Q", "cZ-"},
    {"_objc_registerClassPair", fn(objc_registerClassPair), "v#", "c"},
    // An Ivar is the host's record, opaque to the library: object_getIvar
    // and object_setIvarWithStrongDefault use it only when it is one of the
    // object's class's own.
    {"_class_getInstanceVariable", fn(class_getInstanceVariable), "^v#*", "cz"},
    {"_object_getIvar", fn(object_getIvar), "@@^v", "o-"},
    {"_object_setIvarWithStrongDefault", fn(object_setIvarWithStrongDefault), "v@^v@", "o-o"},
    {"_CFStringCreateWithCString", fn(CFStringCreateWithCString), "@^v*I", "-z-", -1, true},
    {"_CFNotificationCenterGetDarwinNotifyCenter", fn(CFNotificationCenterGetDarwinNotifyCenter), "^v", ""},
    {"_CFNotificationCenterGetDistributedCenter", fn(CFNotificationCenterGetDistributedCenter), "^v", ""},
    {"_CFNotificationCenterPostNotification", fn(CFNotificationCenterPostNotification), "v^v@^v@C", "nodd-"},
    {"_CGBitmapContextCreate", fn(CGBitmapContextCreate), "^v^vQQQQ^vI", "B----g-", -1, true},
    {"_CGColorSpaceCreateDeviceRGB", fn(CGColorSpaceCreateDeviceRGB), "^v", "", -1, true},
    {"_CGColorSpaceRelease", fn(CGColorSpaceRelease), "v^v", "g", 0},
    {"_CGContextDrawImage", fn(CGContextDrawImage), "v^v{CGRect={CGPoint=dd}{CGSize=dd}}^v", "x-i"},
    {"_CGContextRelease", fn(CGContextRelease), "v^v", "x", 0},
    {"_CGImageGetColorSpace", fn(CGImageGetColorSpace), "^v^v", "i"},
};

const struct {
  const char* symbol;
  EmulatedLibrary::StubHandler handler;
} kCustom[] = {
    {"_objc_msgSend", message_send},
    {"_class_addMethod", class_add_method},
    {"_MSHookMessageEx", hook_message},
    {"_CFNotificationCenterAddObserver", add_observer},
    {"_calloc", guest_calloc},
    {"_free", guest_free},
    {"___stack_chk_fail", stack_check_failed},
    {"dyld_stub_binder", stub_binder},
};

}  // namespace

bool bind_import(EmulatedLibrary& lib, const MachBind& bind, uint64_t& value, std::string& error) {
  for (const auto& c : kCustom) {
    if (bind.symbol != c.symbol) continue;
    value = lib.add_stub(c.handler, nullptr);
    return true;
  }
  for (const Typed& t : kTyped) {
    if (bind.symbol != t.symbol) continue;
    value = lib.guest_callable(t.fn, t.types, t.checks, t.symbol + 1, t.releases, t.owned_result);
    return true;
  }
  if (bind.weak_import) {
    value = 0;
    return true;
  }
  error = "the host does not provide " + std::string(bind.symbol) + " (imported from " +
          std::string(bind.library) + ")";
  return false;
}

}  // namespace sim::emulation
