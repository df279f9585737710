// Guest code for the emulation's own tests: built for the phone like the
// library, it makes the right calls through the device seam and, beside
// them, the mistakes that the emulation must expose.
#include "platform/platform.h"

using namespace corvane;

#define PROBE extern "C" __attribute__((visibility("default")))

PROBE void probe_hide(id view) { msg<void>(view, sel("setHidden:"), (BOOL) true); }

// A BOOL passed as a wider integer whose upper bytes are not zero.
PROBE void probe_hide_with_garbage(id view) {
  reinterpret_cast<void (*)(id, SEL, int)>(objc_msgSend)(view, sel("setHidden:"), 0x5a01);
}

PROBE void probe_set_frame(id view) { msg<void>(view, sel("setFrame:"), CGRectMake(1.5, 2.5, 30, 40)); }

// A CGRect passed as four integers: in general registers, not d0-d3.
PROBE void probe_set_frame_in_general_registers(id view) {
  const CGRect r = CGRectMake(1.5, 2.5, 30, 40);
  reinterpret_cast<void (*)(id, SEL, long, long, long, long)>(objc_msgSend)(
      view, sel("setFrame:"), __builtin_bit_cast(long, r.origin.x), __builtin_bit_cast(long, r.origin.y),
      __builtin_bit_cast(long, r.size.width), __builtin_bit_cast(long, r.size.height));
}

PROBE CGRect probe_frame_of(id view) { return msg<CGRect>(view, sel("frame")); }

PROBE bool probe_ios14() { return system_is_ios14_or_later(); }

PROBE void probe_write_to_null_page() { *reinterpret_cast<volatile int*>(16) = 1; }

PROBE void probe_spin() {
  for (;;) asm volatile("");
}

// A method of the guest's that sends itself again: every send goes through
// the host, which calls the guest back, one level deeper each time.
static void send_again(id self, SEL cmd) { msg<void>(self, cmd); }

PROBE void probe_recurse_through_host(id view) {
  class_addMethod(object_getClass(view), sel("probeRecurse"), reinterpret_cast<IMP>(&send_again), "v@:");
  msg<void>(view, sel("probeRecurse"));
}
