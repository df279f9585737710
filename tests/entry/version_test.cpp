// The library's version check asks the running system by message, in the
// simulator as on a phone: every component counts, in order.
#include <gtest/gtest.h>

#include "src/platform/platform.h"
#include "support/sim_fixture.h"

using namespace corvane_test;

namespace {

TEST(SystemVersion, ComparesMajorMinorAndPatchInOrder) {
  const struct {
    sim::OSVersion running;
    NSInteger major, minor, patch;
    bool at_least;
  } cases[] = {
      {{13, 7, 0}, 14, 0, 0, false}, {{13, 7, 0}, 13, 7, 0, true},  {{13, 7, 0}, 13, 7, 1, false},
      {{13, 7, 0}, 13, 6, 9, true},  {{13, 7, 0}, 12, 9, 9, true},  {{14, 0, 0}, 14, 0, 0, true},
      {{14, 0, 0}, 13, 9, 9, true},  {{14, 4, 2}, 14, 4, 3, false}, {{14, 4, 2}, 14, 4, 2, true},
      {{14, 4, 2}, 14, 5, 0, false}, {{14, 4, 2}, 15, 0, 0, false},
  };
  for (const auto& c : cases) {
    SimProcess p(ProcessSpec{c.running});
    EXPECT_EQ(corvane::os_at_least(c.major, c.minor, c.patch), c.at_least)
        << c.running.major << "." << c.running.minor << "." << c.running.patch << " vs " << c.major << "."
        << c.minor << "." << c.patch;
    EXPECT_EQ(corvane::system_is_ios14_or_later(), c.running.major >= 14);
  }
}

}  // namespace
