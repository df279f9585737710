// The system the host's classes ask: the running process while it lives,
// and nothing once it has ended.
#include "sim/system/system.h"

#include <gtest/gtest.h>

#include "support/sim_fixture.h"

using corvane_test::ProcessSpec;
using corvane_test::SimProcess;

TEST(System, IsTheRunningProcessAndNothingOnceItEnds) {
  EXPECT_EQ(sim::System::current(), nullptr);
  {
    SimProcess p;
    EXPECT_EQ(sim::System::current(), &p.process());
    p.process().relaunch();
    EXPECT_EQ(sim::System::current(), &p.process());
  }
  EXPECT_EQ(sim::System::current(), nullptr);
  EXPECT_EQ(sim::host_path_of("/var/mobile/a.plist"), "/var/mobile/a.plist");
  EXPECT_FALSE(sim_os_at_least(0, 0, 0));
}

TEST(System, MapsDevicePathsBelowTheRoot) {
  SimProcess p;
  const std::string& root = p.process().options().root;
  struct Case {
    const char* device_path;
    std::string host_path;
  } cases[] = {
      {"/var/mobile/Library/x.plist", root + "/var/mobile/Library/x.plist"},
      {"relative/x.png", root + "/relative/x.png"},
      {"", root},
  };
  for (const Case& c : cases) EXPECT_EQ(sim::host_path_of(c.device_path), c.host_path) << c.device_path;
}

TEST(System, ComparesTheRunningVersionPartByPart) {
  ProcessSpec spec;
  spec.ios = {14, 2, 1};
  SimProcess p(spec);
  struct Case {
    int major, minor, patch;
    bool at_least;
  } cases[] = {
      {14, 2, 1, true},  {14, 2, 0, true}, {14, 2, 2, false}, {14, 1, 9, true},
      {14, 3, 0, false}, {13, 9, 9, true}, {15, 0, 0, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(sim_os_at_least(c.major, c.minor, c.patch), c.at_least)
        << c.major << "." << c.minor << "." << c.patch;
}
