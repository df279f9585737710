// Light and dark tints (lighterColorForColor:, darkerColorForColor:) on each
// class that carries them.
#include <gtest/gtest.h>

#include <limits>
#include <string_view>

#include "colour_test_util.h"

using namespace colour_test;
using namespace corvane_test;
using sim::plist::Dictionary;

namespace {

constexpr const char* kLighter = "lighterColorForColor:";
constexpr const char* kDarker = "darkerColorForColor:";
// Settings hold single-precision values widened to double.
const double k03 = static_cast<double>(0.3f);

struct Case {
  const char* method;
  Rgba input;
  Rgba want;  // alpha: what the banner and widget give; the platter gives 0.6
};

void expect_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " of " + describe(c.input));
    id input = sim::make_rgba(c.input[0], c.input[1], c.input[2], c.input[3]);
    for (const char* owner : kAllOwners) {
      Rgba want = c.want;
      if (std::string_view(owner) == kPlatter) want[3] = 0.6;
      EXPECT_TRUE(is_near(components(colour_for(make_object(owner), c.method, input)), want, 1e-12)) << owner;
    }
  }
}

TEST(Tint, DefaultSettingsCapFloorAndReplaceAlpha) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  expect_cases({
      // Red capped at 1.0; the alpha comes from the strength setting.
      {kLighter, {0.9, 0.5, 0.1, 1.0}, {1.0, 0.5 + k03, 0.1 + k03, k03}},
      // Blue floored at 0.0.
      {kDarker, {0.9, 0.5, 0.1, 1.0}, {0.9 - k03, 0.5 - k03, 0.0, k03}},
      // The input alpha never reaches the result.
      {kLighter, {0, 0, 0, 0}, {k03, k03, k03, k03}},
      {kDarker, {1, 1, 1, 0.25}, {1 - k03, 1 - k03, 1 - k03, k03}},
      // Out of range: capped going up with no floor, floored going down with no cap.
      {kLighter, {2.0, -1.0, 1.0, 1.0}, {1.0, -1.0 + k03, 1.0, k03}},
      {kDarker, {2.0, -1.0, 0.0, 1.0}, {2.0 - k03, 0.0, 0.0, k03}},
      // A NaN component comes out as the bound.
      {kLighter, {nan, 0.5, 0.5, 1.0}, {1.0, 0.5 + k03, 0.5 + k03, k03}},
      {kDarker, {nan, 0.5, 0.5, 1.0}, {0.0, 0.5 - k03, 0.5 - k03, k03}},
  });
  // The same figures as decimals.
  id banner = make_object(kBanner);
  EXPECT_TRUE(is_near(components(colour_for(banner, kLighter, sim::make_rgba(0.9, 0.5, 0.1, 1))),
                      {1.0, 0.8, 0.4, 0.3}, 1e-7));
  EXPECT_TRUE(is_near(components(colour_for(banner, kDarker, sim::make_rgba(2.0, 0.5, 0.1, 1))),
                      {1.7, 0.2, 0.0, 0.3}, 1e-7));
}

TEST(Tint, WhiteColoursAnswerInRGB) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  id grey = sim::make_white(0.5, 1.0);
  EXPECT_TRUE(is_near(components(colour_for(make_object(kWidget), kLighter, grey)),
                      {0.5 + k03, 0.5 + k03, 0.5 + k03, k03}, 1e-12));
  EXPECT_TRUE(is_near(components(colour_for(make_object(kPlatter), kDarker, grey)),
                      {0.5 - k03, 0.5 - k03, 0.5 - k03, 0.6}, 1e-12));
}

TEST(Tint, OffsetsAndStrengthsComeFromTheSettings) {
  SimProcess p;
  p.write_settings(Dictionary{{"lightColorOffset", 0.1},
                              {"lightColorStrength", 0.9},
                              {"darkColorOffset", 0.2},
                              {"darkColorStrength", 0.75}});
  p.load();
  sim::AutoreleasePool pool;
  const double lo = double(0.1f), ls = double(0.9f), dof = double(0.2f), ds = double(0.75f);
  // The platter keeps 0.6 for both alphas but takes both offsets.
  expect_cases({
      {kLighter, {0.5, 0.95, 0.0, 1.0}, {0.5 + lo, 1.0, lo, ls}},
      {kDarker, {0.5, 0.1, 1.0, 1.0}, {0.5 - dof, 0.0, 1.0 - dof, ds}},
  });
}

TEST(Tint, ColoursWithoutRGBComponentsGiveNil) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  const id inputs[] = {nullptr, sim::make_pattern(sim::make_solid_image(255, 0, 0, 255, {4, 4}, 1))};
  for (id input : inputs) {
    for (const char* owner : kAllOwners) {
      for (const char* method : {kLighter, kDarker}) {
        EXPECT_EQ(colour_for(make_object(owner), method, input), nullptr)
            << owner << " " << method << (input ? " pattern" : " nil");
      }
    }
  }
}

}  // namespace
