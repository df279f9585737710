// Hostile guest code for the emulation's boundary: it calls any import with
// whatever register values the host-side test or fuzzer chooses, from any
// stack pointer, and traps where no stub is. The emulation must turn every
// such call into a simulated crash or a sound result, never a host fault.
#include "platform/platform.h"

#define PROBE extern "C" __attribute__((visibility("default")))

using Import = void (*)();

// Every function the host provides, in a fixed order the host side knows.
static Import const kImports[] = {
    reinterpret_cast<Import>(&objc_msgSend),
    reinterpret_cast<Import>(&objc_getClass),
    reinterpret_cast<Import>(&object_getClass),
    reinterpret_cast<Import>(&sel_registerName),
    reinterpret_cast<Import>(&class_addMethod),
    reinterpret_cast<Import>(&MSHookMessageEx),
    reinterpret_cast<Import>(&objc_setAssociatedObject),
    reinterpret_cast<Import>(&objc_getAssociatedObject),
    reinterpret_cast<Import>(&objc_storeWeak),
    reinterpret_cast<Import>(&objc_loadWeakRetained),
    reinterpret_cast<Import>(&objc_destroyWeak),
    reinterpret_cast<Import>(&objc_release),
    reinterpret_cast<Import>(&CFStringCreateWithCString),
    reinterpret_cast<Import>(&CFNotificationCenterGetDarwinNotifyCenter),
    reinterpret_cast<Import>(&CFNotificationCenterGetDistributedCenter),
    reinterpret_cast<Import>(&CFNotificationCenterAddObserver),
    reinterpret_cast<Import>(&CFNotificationCenterPostNotification),
    reinterpret_cast<Import>(&CGBitmapContextCreate),
    reinterpret_cast<Import>(&CGColorSpaceCreateDeviceRGB),
    reinterpret_cast<Import>(&CGColorSpaceRelease),
    reinterpret_cast<Import>(&CGContextDrawImage),
    reinterpret_cast<Import>(&CGContextRelease),
    reinterpret_cast<Import>(&CGImageGetColorSpace),
    reinterpret_cast<Import>(&calloc),
    reinterpret_cast<Import>(&free),
};

// regs[0..8] go to x0-x8, regs[9] (when not 0) becomes the stack pointer for
// the call, regs[10..13] go to d0-d3. Returns x0.
extern "C" uint64_t hostile_raw(const uint64_t* regs, Import fn);
asm(R"(
  .text
  .p2align 2
_hostile_raw:
  stp x29, x30, [sp, #-32]!
  mov x29, sp
  str x19, [sp, #16]
  mov x19, sp
  mov x16, x1
  mov x17, x0
  ldp d0, d1, [x17, #80]
  ldp d2, d3, [x17, #96]
  ldr x9, [x17, #72]
  cbz x9, 1f
  mov sp, x9
1:
  ldp x0, x1, [x17]
  ldp x2, x3, [x17, #16]
  ldp x4, x5, [x17, #32]
  ldp x6, x7, [x17, #48]
  ldr x8, [x17, #64]
  blr x16
  mov sp, x19
  ldr x19, [sp, #16]
  ldp x29, x30, [sp], #32
  ret
)");

PROBE int hostile_import_count() { return sizeof kImports / sizeof kImports[0]; }

PROBE uint64_t hostile_import(int which, const uint64_t* regs) {
  if (which < 0 || which >= hostile_import_count()) return 0;
  return hostile_raw(regs, kImports[which]);
}

// What a block literal's isa must be, and code the host may take for a method.
PROBE uint64_t hostile_stack_block_class() { return reinterpret_cast<uint64_t>(&_NSConcreteStackBlock); }
static void a_method(id, SEL) {}
PROBE uint64_t hostile_code() { return reinterpret_cast<uint64_t>(&a_method); }

// A method that answers an object with a number.
static id a_forged_object(id, SEL) { return reinterpret_cast<id>(0x1234); }
PROBE uint64_t hostile_forging_code() { return reinterpret_cast<uint64_t>(&a_forged_object); }

// A trap in the library's own code, where no stub is.
PROBE void hostile_svc() { asm volatile("svc #0x80"); }

// Keeps the host busy: a message after message, each one cheap.
PROBE void hostile_busy(id view) {
  for (;;) corvane::msg<void>(view, corvane::sel("setHidden:"), (BOOL) false);
}
