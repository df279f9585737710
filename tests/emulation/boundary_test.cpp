// The emulation's boundary against hostile guest code: every raw value the
// guest hands an import is checked before the host uses it, and a bad one
// is a simulated crash naming the import and the value, never a host fault.
#include <gtest/gtest.h>

#include <functional>

#include "sim/emulation/ownership.h"
#include "sim/foundation/CFNotificationCenter.h"
#include "sim/graphics/CoreGraphics.h"
#include "sim/runtime/crash.h"
#include "sim/uikit/UIView.h"
#include "support/hostile_guest.h"
#include "support/sim_fixture.h"

using namespace corvane_test;

namespace {

struct World {
  HostileGuest& guest;
  id view;
  uint64_t host_bytes;  // an address in the host's own memory
  uint64_t guest_end;   // the end of the guest's last range
  uint64_t u(id o) const { return reinterpret_cast<uint64_t>(o); }
  uint64_t u(SEL s) const { return reinterpret_cast<uint64_t>(s); }
  uint64_t u(Class c) const { return reinterpret_cast<uint64_t>(c); }
  uint64_t view_class() const { return u(object_getClass(view)); }
  uint64_t string(const char* s) { return guest.copy_in(s, std::strlen(s) + 1); }
  uint64_t block(uint64_t invoke, uint64_t descriptor) {
    const uint64_t literal[4] = {guest.stack_block_class(), 0, invoke, descriptor};
    return guest.copy_in(literal);
  }
  uint64_t descriptor(uint64_t size) {
    const uint64_t d[2] = {0, size};
    return guest.copy_in(d);
  }
};

struct Case {
  const char* what;
  std::function<void(World&)> before;  // guest calls that set the stage
  Import import;
  std::function<GuestRegisters(World&)> registers;
  const char* crash;  // nullptr: the call goes through
};

GuestRegisters regs(std::initializer_list<uint64_t> x, uint64_t sp = 0) {
  GuestRegisters r;
  size_t i = 0;
  for (uint64_t v : x) r.x[i++] = v;
  r.sp = sp;
  return r;
}

std::string run(const Case& c, std::chrono::milliseconds budget = std::chrono::milliseconds(0)) {
  std::unique_ptr<HostileGuest> guest;  // outlives the process, which may hold its blocks
  SimProcess p;
  std::string error;
  guest = HostileGuest::load(CORVANE_HOSTILE_PROBE_DYLIB, error);
  if (!guest) return "load failed: " + error;
  if (budget.count()) guest->library().set_host_time_budget(budget);
  sim::AutoreleasePool pool;
  const uint64_t host_word = 0x1122334455667788;
  World w{*guest, sim::make_view("UIView", CGRect{}), reinterpret_cast<uint64_t>(&host_word),
          guest->library().memory().ranges().back().end};
  sim::CrashScope scope;
  try {
    if (c.before) c.before(w);
    guest->call(c.import, c.registers(w));
  } catch (const sim::ProcessCrashed& e) {
    return e.what();
  }
  return "";
}

TEST(EmulationBoundary, EveryImportRefusesWhatTheHostNeverHandedOut) {
  const Case cases[] = {
      {"a receiver in host memory", nullptr, Import::MsgSend,
       [](World& w) {
         return regs({w.host_bytes, w.u(sim::sel("isHidden"))});
       },
       "as argument 0 of objc_msgSend, which is not a live object"},
      {"an object forged in guest memory", nullptr, Import::MsgSend,
       [](World& w) {
         return regs({w.guest.copy_in(w.view_class()), w.u(sim::sel("isHidden"))});
       },
       "as argument 0 of objc_msgSend, which is not a live object"},
      {"a selector that is a string", nullptr, Import::MsgSend,
       [](World& w) {
         return regs({w.u(w.view), w.string("isHidden")});
       },
       "as argument 1 of objc_msgSend, which is not a selector"},
      {"an argument that was released", nullptr, Import::MsgSend,
       [](World& w) {
         id dead = sim::alloc_instance(sim::class_named("UIView"));  // not autoreleased: freed now
         objc_release(dead);
         return regs({w.u(w.view), w.u(sim::sel("setBackgroundColor:")), w.u(dead)});
       },
       "as argument 2 of -[UIView setBackgroundColor:], which is not a live object"},
      {"a message that is sound", nullptr, Import::MsgSend,
       [](World& w) {
         return regs({w.u(w.view), w.u(sim::sel("setHidden:")), 1});
       },
       nullptr},
      {"a class name in host memory", nullptr, Import::GetClass,
       [](World& w) { return regs({w.host_bytes}); },
       "as argument 0 of objc_getClass, which is not a string that ends in the library's memory"},
      {"a selector name that is nil", nullptr, Import::SelRegisterName, [](World&) { return regs({0}); },
       "as argument 0 of sel_registerName, which is not a string"},
      {"a method whose code is the host's", nullptr, Import::ClassAddMethod,
       [](World& w) {
         return regs({w.view_class(), w.u(sim::sel("probeA")), w.host_bytes, w.string("v@:")});
       },
       "as argument 2 of class_addMethod, which is not the library's code"},
      {"a hook's saved slot in read-only code", nullptr, Import::HookMessage,
       [](World& w) {
         return regs({w.view_class(), w.u(sim::sel("layoutSubviews")), w.guest.code(), w.guest.code()});
       },
       "as argument 3 of MSHookMessageEx, which is not writable memory"},
      {"a hook with no replacement", nullptr, Import::HookMessage,
       [](World& w) {
         return regs({w.view_class(), w.u(sim::sel("layoutSubviews")), 0, 0});
       },
       "MSHookMessageEx of layoutSubviews with no replacement"},
      {"a weak place holding garbage", nullptr, Import::StoreWeak,
       [](World& w) {
         return regs({w.guest.copy_in(uint64_t{0x1234}), w.u(w.view)});
       },
       "as argument 0 of objc_storeWeak, which is a weak reference that holds no live object"},
      {"a view drawn into as a context", nullptr, Import::DrawImage,
       [](World& w) { return regs({w.u(w.view)}); },
       "as argument 0 of CGContextDrawImage, which is not a live bitmap context"},
      {"bitmap rows past the guest's memory", nullptr, Import::BitmapContextCreate,
       [](World& w) {
         return regs({w.guest_end - 4096, 1000, 1000, 8, 4000, 0, 1});
       },
       "as argument 0 of CGBitmapContextCreate, which is not writable memory"},
      {"a view as a notification centre", nullptr, Import::AddObserver,
       [](World& w) {
         return regs({w.u(w.view), 0, w.guest.code()});
       },
       "as argument 0 of CFNotificationCenterAddObserver, which is not a notification centre"},
      {"a posted object that is not one", nullptr, Import::Post,
       [](World& w) {
         return regs({reinterpret_cast<uint64_t>(CFNotificationCenterGetDistributedCenter()),
                      w.u(sim::make_string("n")), 0x1234});
       },
       "as argument 2 of CFNotificationCenterPostNotification, which is not a live object"},
      {"the Darwin centre ignores the object", nullptr, Import::Post,
       [](World& w) {
         return regs({reinterpret_cast<uint64_t>(CFNotificationCenterGetDarwinNotifyCenter()),
                      w.u(sim::make_string("n")), 0x1234});
       },
       nullptr},
      {"a block whose descriptor is the host's", nullptr, Import::MsgSend,
       [](World& w) {
         return regs({w.u(sim::class_named("NSTimer")),
                      w.u(sim::sel("scheduledTimerWithTimeInterval:repeats:block:")), 0,
                      w.block(w.guest.code(), w.host_bytes)});
       },
       "which is a block whose descriptor lies outside the library's memory"},
      {"a block longer than the guest's memory", nullptr, Import::MsgSend,
       [](World& w) {
         const uint64_t literal = w.guest_end - 64;
         const uint64_t words[4] = {w.guest.stack_block_class(), 0, w.guest.code(), w.descriptor(4096)};
         std::memcpy(reinterpret_cast<void*>(literal), words, sizeof words);
         return regs({w.u(sim::class_named("NSTimer")),
                      w.u(sim::sel("scheduledTimerWithTimeInterval:repeats:block:")), 0, literal});
       },
       "which is a block whose size its memory does not hold"},
      {"a block whose invoke is the host's", nullptr, Import::MsgSend,
       [](World& w) {
         return regs({w.u(sim::class_named("NSTimer")),
                      w.u(sim::sel("scheduledTimerWithTimeInterval:repeats:block:")), 0,
                      w.block(w.host_bytes, w.descriptor(32))});
       },
       "which is a block whose invoke is not the library's code"},
      {"an association on a class, freed with the process", nullptr, Import::SetAssociated,
       [](World& w) {
         return regs({w.view_class(), 8, w.u(w.view), 1});
       },
       nullptr},
      {"a method of the library's that answers a forged object",
       [](World& w) {
         w.guest.call(Import::ClassAddMethod, regs({w.view_class(), w.u(sim::sel("probeForge")),
                                                    w.guest.forging_code(), w.string("@@:")}));
       },
       Import::MsgSend,
       [](World& w) {
         return regs({w.u(w.view), w.u(sim::sel("probeForge"))});
       },
       "the library returned 0x1234 from the library's function at"},
      {"a release of what the library never owned", nullptr, Import::Release,
       [](World& w) { return regs({w.u(w.view)}); }, "objc_release of 0x"},
      {"a release message likewise", nullptr, Import::MsgSend,
       [](World& w) {
         return regs({w.u(w.view), w.u(sim::sel("release"))});
       },
       "which the library does not own: an over-release"},
      {"a colour space the library did not create", nullptr, Import::ColorSpaceRelease,
       [](World&) { return regs({reinterpret_cast<uint64_t>(CGColorSpaceCreateDeviceRGB())}); },
       "CGColorSpaceRelease of 0x"},
      {"dealloc sent by the library", nullptr, Import::MsgSend,
       [](World& w) {
         return regs({w.u(w.view), w.u(sim::sel("dealloc"))});
       },
       "-[UIView dealloc]: the library sent dealloc"},
      {"a call back into the guest from a stack pointer in host memory",
       [](World& w) {
         w.guest.call(Import::ClassAddMethod,
                      regs({w.view_class(), w.u(sim::sel("probeBack")), w.guest.code(), w.string("v@:")}));
       },
       Import::MsgSend,
       [](World& w) {
         return regs({w.u(w.view), w.u(sim::sel("probeBack"))}, w.host_bytes & ~15ull);
       },
       "the library's stack pointer"},
  };
  for (const Case& c : cases) {
    const std::string got = run(c);
    if (c.crash) EXPECT_NE(got.find(c.crash), std::string::npos) << c.what << ": " << got;
    else EXPECT_EQ(got, "") << c.what;
  }
}

TEST(EmulationBoundary, TrapsAndBusyLoopsEndAsCrashes) {
  std::unique_ptr<HostileGuest> guest;
  SimProcess p;
  std::string error;
  guest = HostileGuest::load(CORVANE_HOSTILE_PROBE_DYLIB, error);
  ASSERT_TRUE(guest) << error;
  sim::AutoreleasePool pool;
  sim::CrashScope scope;
  auto& lib = guest->library();
  try {
    reinterpret_cast<void (*)()>(lib.function("hostile_svc", "v"))();
    ADD_FAILURE() << "an svc outside the stubs went through";
  } catch (const sim::ProcessCrashed& e) {
    EXPECT_NE(std::string(e.what()).find("an unexpected trap: an svc at"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("_hostile_svc"), std::string::npos) << e.what();
  }
  lib.set_host_time_budget(std::chrono::milliseconds(100));
  try {
    reinterpret_cast<void (*)(id)>(lib.function("hostile_busy", "v@"))(sim::make_view("UIView", CGRect{}));
    ADD_FAILURE() << "a guest that keeps the host busy was never stopped";
  } catch (const sim::ProcessCrashed& e) {
    EXPECT_NE(std::string(e.what()).find("host time exceeded"), std::string::npos) << e.what();
  }
}

TEST(EmulationBoundary, MethodFamiliesFollowThePlatformsNamingRules) {
  using sim::emulation::MethodFamily;
  const struct {
    const char* selector;
    MethodFamily family;
  } cases[] = {
      {"alloc", MethodFamily::Owning},    {"allocWithZone:", MethodFamily::Owning},
      {"allocate", MethodFamily::None},   {"newValue", MethodFamily::Owning},
      {"newt", MethodFamily::None},       {"copy", MethodFamily::Owning},
      {"copying", MethodFamily::None},    {"mutableCopyWithZone:", MethodFamily::Owning},
      {"init", MethodFamily::Init},       {"initWithFrame:", MethodFamily::Init},
      {"initials", MethodFamily::None},   {"_init", MethodFamily::Init},
      {"retain", MethodFamily::Retain},   {"retainCount", MethodFamily::None},
      {"release", MethodFamily::Release}, {"autorelease", MethodFamily::Release},
      {"dealloc", MethodFamily::Dealloc}, {"setHidden:", MethodFamily::None},
  };
  for (const auto& c : cases) EXPECT_EQ(sim::emulation::method_family(c.selector), c.family) << c.selector;
}

}  // namespace
