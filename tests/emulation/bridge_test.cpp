// The emulation's calling bridge, exercised by arm64 guest code built for the
// phone (device/test-probe): what the device seam does right arrives intact,
// and the seam's classic mistakes show instead of passing unnoticed.
#include <gtest/gtest.h>

#include "sim/emulation/emulated_library.h"
#include "sim/uikit/UIView.h"
#include "support/sim_fixture.h"

using namespace corvane_test;
using sim::emulation::EmulatedLibrary;

namespace {

std::unique_ptr<EmulatedLibrary> load_probe() {
  std::string error;
  auto lib = EmulatedLibrary::load(CORVANE_PROBE_DYLIB, error);
  if (!lib) ADD_FAILURE() << error;
  return lib;
}

template <typename F>
F probe(EmulatedLibrary& lib, const char* name, const char* types) {
  void* f = lib.function(name, types);
  if (!f) ADD_FAILURE() << "no " << name;
  return reinterpret_cast<F>(f);
}

TEST(EmulationBridge, ABoolArrivesAsTheHostsBool) {
  SimProcess p;
  auto lib = load_probe();
  sim::AutoreleasePool pool;
  id view = sim::make_view("UIView", CGRect{});
  probe<void (*)(id)>(*lib, "probe_hide", "v@")(view);
  EXPECT_TRUE(sim::send<BOOL>(view, sim::sel("isHidden")));
}

TEST(EmulationBridgeDeathTest, ABoolWithGarbageAboveItsByteCrashes) {
  SimProcess p;
  auto lib = load_probe();
  sim::AutoreleasePool pool;
  id view = sim::make_view("UIView", CGRect{});
  auto hide = probe<void (*)(id)>(*lib, "probe_hide_with_garbage", "v@");
  EXPECT_DEATH(hide(view), "BOOL argument 2 .* reads 0x5a01, not 0 or 1");
}

// Unicorn fails at 64 nested emulations; the bridge stops well before.
TEST(EmulationBridgeDeathTest, EndlessNestingIsACrashNotAnEmulatorFailure) {
  SimProcess p;
  auto lib = load_probe();
  sim::AutoreleasePool pool;
  id view = sim::make_view("UIView", CGRect{});
  auto recurse = probe<void (*)(id)>(*lib, "probe_recurse_through_host", "v@");
  EXPECT_DEATH(recurse(view),
               "call depth exceeded: the library and the host called each other 32 levels deep");
}

TEST(EmulationBridge, ARectTravelsInFloatingPointRegisters) {
  SimProcess p;
  auto lib = load_probe();
  sim::AutoreleasePool pool;
  id view = sim::make_view("UIView", CGRect{});
  const CGRect want{{1.5, 2.5}, {30, 40}};
  auto frame_of = probe<CGRect (*)(id)>(*lib, "probe_frame_of", "{CGRect={CGPoint=dd}{CGSize=dd}}@");

  // Passed in general registers, the host reads d0-d3 (here still zero) and
  // gets another rect.
  probe<void (*)(id)>(*lib, "probe_set_frame_in_general_registers", "v@")(view);
  CGRect got = sim::send<CGRect>(view, sim::sel("frame"));
  EXPECT_FALSE(got.origin.x == want.origin.x && got.origin.y == want.origin.y &&
               got.size.width == want.size.width && got.size.height == want.size.height);

  probe<void (*)(id)>(*lib, "probe_set_frame", "v@")(view);
  got = sim::send<CGRect>(view, sim::sel("frame"));
  EXPECT_EQ(got.origin.x, want.origin.x);
  EXPECT_EQ(got.origin.y, want.origin.y);
  EXPECT_EQ(got.size.width, want.size.width);
  EXPECT_EQ(got.size.height, want.size.height);
  // ... and comes back the same way.
  const CGRect back = frame_of(view);
  EXPECT_EQ(back.origin.x, want.origin.x);
  EXPECT_EQ(back.size.height, want.size.height);
}

TEST(EmulationBridge, TheVersionCheckAsksTheRunningSystem) {
  const struct {
    sim::OSVersion ios;
    bool ios14;
  } cases[] = {{{13, 7, 0}, false}, {{14, 0, 0}, true}, {{14, 4, 2}, true}, {{13, 0, 0}, false}};
  for (const auto& c : cases) {
    SimProcess p(ProcessSpec{c.ios});
    auto lib = load_probe();
    EXPECT_EQ(probe<bool (*)()>(*lib, "probe_ios14", "B")(), c.ios14) << c.ios.major << "." << c.ios.minor;
  }
}

TEST(EmulationBridgeDeathTest, AGuestFaultNamesItsAddressAndFunction) {
  SimProcess p;
  auto lib = load_probe();
  auto fault = probe<void (*)()>(*lib, "probe_write_to_null_page", "v");
  EXPECT_DEATH(fault(), "guest fault: write of unmapped address 0x10 .*_probe_write_to_null_page");
  auto spin = probe<void (*)()>(*lib, "probe_spin", "v");
  EXPECT_DEATH(spin(), "instruction budget.*_probe_spin");
}

TEST(EmulationLoad, RefusesWhatIsNotAnArm64Dylib) {
  SimProcess p;
  std::string error;
  EXPECT_EQ(EmulatedLibrary::load(CORVANE_SOURCE_DIR "/README.md", error), nullptr);
  EXPECT_NE(error.find("not an arm64 Mach-O file"), std::string::npos) << error;
  EXPECT_EQ(EmulatedLibrary::load(CORVANE_SOURCE_DIR "/device", error), nullptr);
  EXPECT_NE(error.find("device is a directory"), std::string::npos) << error;
  EXPECT_EQ(EmulatedLibrary::load(CORVANE_SOURCE_DIR "/no-such-library.dylib", error), nullptr);
  EXPECT_NE(error.find("no-such-library.dylib"), std::string::npos) << error;
}

}  // namespace
