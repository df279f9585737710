// The emulation's boundary: hostile guest code (device/test-probe/hostile.cpp)
// calls the host's imports with register values the input chooses, from a
// menu of what a broken or hostile library could hold: nil, numbers, live
// and dead objects, classes, selectors, strings and forged blocks in guest
// memory, the guest's code, addresses in host memory and at the end of the
// guest's. Each input runs in a fresh simulated process with the probe
// loaded anew; whatever it does must end as a result or a simulated crash.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "sim/foundation/CFNotificationCenter.h"
#include "sim/foundation/foundation.h"
#include "sim/graphics/CoreGraphics.h"
#include "sim/process/process.h"
#include "sim/runtime/crash.h"
#include "sim/uikit/UIView.h"
#include "tests/support/hostile_guest.h"

namespace {

fuzz::TempFolder g_root;
uint64_t g_host_word = 0x5a5a5a5a5a5a5a5a;

// The input, read from the front; zeros once it runs out.
struct Input {
  const uint8_t* at;
  size_t left;
  uint8_t byte() {
    if (!left) return 0;
    --left;
    return *at++;
  }
  uint64_t word() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= uint64_t{byte()} << (8 * i);
    return v;
  }
  bool empty() const { return left == 0; }
};

const char* const kSelectors[] = {"setHidden:",
                                  "isHidden",
                                  "setBackgroundColor:",
                                  "backgroundColor",
                                  "layoutSubviews",
                                  "superview",
                                  "addSubview:",
                                  "setFrame:",
                                  "frame",
                                  "scheduledTimerWithTimeInterval:repeats:block:",
                                  "alloc",
                                  "init",
                                  "release",
                                  "description",
                                  "valueForKey:",
                                  "setValue:forKey:",
                                  "isKindOfClass:",
                                  "respondsToSelector:",
                                  "getRed:green:blue:alpha:",
                                  "colorWithRed:green:blue:alpha:",
                                  "CGImage",
                                  "imageWithCGImage:scale:orientation:",
                                  "valueWithBytes:objCType:",
                                  "getValue:",
                                  "stringWithUTF8String:",
                                  "objectForKey:"};
const char* const kClasses[] = {"UIView",   "NSTimer",      "UIColor",  "UIImage",   "NSValue",
                                "NSString", "NSDictionary", "NSObject", "SBIconView"};

struct Run {
  corvane_test::HostileGuest& guest;
  id view;
  uint64_t last = 0;  // x0 of the previous call

  uint64_t value(Input& in) {
    auto u = [](const void* p) { return reinterpret_cast<uint64_t>(p); };
    const uint64_t end = guest.library().memory().ranges().back().end;
    switch (in.byte() % 20) {
      case 0: return 0;
      case 1: return in.byte();
      case 2: return u(view);
      case 3: return u(sim::class_named(kClasses[in.byte() % std::size(kClasses)]));
      case 4: return u(sim::sel(kSelectors[in.byte() % std::size(kSelectors)]));
      case 5: {  // a string of the input's, in guest memory
        std::string s;
        for (uint8_t n = in.byte() % 32; n && !in.empty(); --n) s += static_cast<char>(in.byte());
        return guest.copy_in(s.c_str(), s.size() + 1);
      }
      case 6: return guest.code();
      case 7: return u(&g_host_word);
      case 8: return guest.copy_in(in.word());
      case 9: return end - 8 * (in.byte() % 16 + 1);
      case 10: return in.word();
      case 11: {  // a forged block
        const uint64_t descriptor[2] = {0, in.byte() % 2 ? 32 : in.word() % 8192};
        const uint64_t literal[4] = {guest.stack_block_class(), in.byte() % 2 ? 0 : in.word(),
                                     in.byte() % 2 ? guest.code() : in.word(),
                                     in.byte() % 2 ? guest.copy_in(descriptor) : in.word()};
        return guest.copy_in(literal);
      }
      case 12: return u(CFNotificationCenterGetDarwinNotifyCenter());
      case 13: return u(CFNotificationCenterGetDistributedCenter());
      case 14: return u(sim::make_string("com.example.fuzz"));
      case 15: return u(CGColorSpaceCreateDeviceRGB());  // left to the process's end when not released
      case 16: return guest.stack_block_class();
      case 17: return last;
      case 18: {  // an object released before the call
        id dead = sim::alloc_instance(sim::class_named("NSObject"));
        objc_release(dead);
        return u(dead);
      }
      default: return guest.code() + 4 * (in.byte() % 64);
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string probe = CORVANE_HOSTILE_PROBE_DYLIB;
  Input in{data, size};
  sim::ProcessOptions options;
  options.root = g_root.path();
  // The host may hold the guest's blocks and functions until the process
  // ends, so the guest goes after the process, as a process's own library does.
  std::unique_ptr<corvane_test::HostileGuest> guest;
  sim::Process process(options);
  {
    std::string error;
    guest = corvane_test::HostileGuest::load(probe.c_str(), error);
    if (!guest) __builtin_trap();  // the probe itself must always load
    guest->library().set_host_time_budget(std::chrono::milliseconds(2000));
    sim::AutoreleasePool pool;
    sim::CrashScope scope;
    Run run{*guest, sim::make_view("UIView", CGRect{})};
    try {
      for (int calls = 0; calls < 8 && !in.empty(); ++calls) {
        const auto which =
            static_cast<corvane_test::Import>(in.byte() % static_cast<int>(corvane_test::Import::Count));
        corvane_test::GuestRegisters r;
        for (uint64_t& x : r.x) x = run.value(in);
        r.sp = in.byte() % 4 == 0 ? run.value(in) : 0;
        for (double& d : r.d) d = static_cast<double>(in.byte());
        run.last = guest->call(which, r);
      }
    } catch (const sim::ProcessCrashed&) {
      // The simulated process crashed: the sound end of a hostile call.
    }
  }
  return 0;
}
