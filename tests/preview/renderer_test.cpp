// The renderer over plain host view trees: colours, corners, clipping,
// hidden views, alpha, images, status bar glyphs and materials.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "preview/preview_test_util.h"
#include "sim/foundation/foundation.h"
#include "sim/render/glyphs.h"
#include "sim/springboard/SBDockView.h"
#include "sim/springboard/SBIconImageView.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/UIStatusBar.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/style.h"
#include "support/app_fixtures.h"
#include "support/sim_fixture.h"

using namespace corvane_test;
using sim::sel;
using sim::send;

namespace {

id view_at(double x, double y, double w, double h, id colour = nullptr) {
  id v = sim::make_view("UIView", CGRect{{x, y}, {w, h}});
  if (colour) send<void>(v, sel("setBackgroundColor:"), colour);
  return v;
}
void round_corners(id v, double radius) {
  send<void>(send<id>(v, sel("layer")), sel("setCornerRadius:"), radius);
}
void clip(id v, bool on) { send<void>(v, sel("setClipsToBounds:"), on); }

class Renderer : public ::testing::Test {
 protected:
  SimProcess process_;
  sim::AutoreleasePool pool_;
};

TEST_F(Renderer, BackgroundColoursCompositeOverWhatLiesBehind) {
  struct Row {
    const char* what;
    id colour;
    Pixel want;
  };
  const Row rows[] = {
      {"opaque blue", sim::make_rgba(0, 0, 1, 1), {0, 0, 255, 255}},
      {"half red over white", sim::make_rgba(1, 0, 0, 0.5), {255, 128, 128, 255}},
      {"quarter black over white", sim::make_white(0, 0.25), {191, 191, 191, 255}},
      {"out of range shows clamped", sim::make_rgba(1.6, -0.4, 0.2, 1), {255, 0, 51, 255}},
      {"clear leaves the backdrop", sim::make_white(0, 0), {255, 255, 255, 255}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    sim::render::Surface s = draw_on_white({view_at(10, 10, 20, 20, r.colour)}, 40, 40);
    EXPECT_TRUE(near_pixel(s.pixel(20, 20), r.want, 1));
    EXPECT_TRUE(near_pixel(s.pixel(5, 5), {255, 255, 255, 255}, 0));
  }
}

TEST_F(Renderer, SubviewsDrawInTheirSuperviewsSpaceFromBackToFront) {
  id parent = view_at(10, 10, 60, 60, sim::make_rgba(1, 0, 0, 1));
  id back = view_at(10, 10, 20, 20, sim::make_rgba(0, 1, 0, 1));
  id front = view_at(20, 20, 20, 20, sim::make_rgba(0, 0, 1, 1));
  sim::add_subview(parent, back);
  sim::add_subview(parent, front);
  sim::render::Surface s = draw_on_white({parent}, 80, 80);
  EXPECT_TRUE(near_pixel(s.pixel(12, 12), {255, 0, 0, 255}, 0));  // the parent alone
  EXPECT_TRUE(near_pixel(s.pixel(24, 24), {0, 255, 0, 255}, 0));  // back only: (20..40)
  EXPECT_TRUE(near_pixel(s.pixel(35, 35), {0, 0, 255, 255}, 0));  // front over back
}

TEST_F(Renderer, HiddenViewsAndTheirSubviewsAreSkipped) {
  id parent = view_at(0, 0, 40, 40, sim::make_rgba(1, 0, 0, 1));
  id child = view_at(10, 10, 20, 20, sim::make_rgba(0, 0, 1, 1));
  sim::add_subview(parent, child);
  send<void>(child, sel("setHidden:"), true);
  EXPECT_TRUE(near_pixel(draw_on_white({parent}, 40, 40).pixel(20, 20), {255, 0, 0, 255}, 0));
  send<void>(child, sel("setHidden:"), false);
  send<void>(parent, sel("setHidden:"), true);
  EXPECT_TRUE(near_pixel(draw_on_white({parent}, 40, 40).pixel(20, 20), {255, 255, 255, 255}, 0));
}

// A view's alpha fades it and everything in it as one picture: an opaque
// child over an opaque parent shows the child, faded once.
TEST_F(Renderer, AlphaFadesTheViewWithItsSubviewsAsOne) {
  id parent = view_at(0, 0, 40, 40, sim::make_rgba(1, 0, 0, 1));
  id child = view_at(10, 10, 20, 20, sim::make_rgba(0, 0, 1, 1));
  sim::add_subview(parent, child);
  send<void>(parent, sel("setAlpha:"), 0.5);
  sim::render::Surface s = draw_on_white({parent}, 40, 40);
  EXPECT_TRUE(near_pixel(s.pixel(20, 20), {128, 128, 255, 255}, 1));
  EXPECT_TRUE(near_pixel(s.pixel(2, 2), {255, 128, 128, 255}, 1));
  send<void>(parent, sel("setAlpha:"), 0.0);
  EXPECT_TRUE(near_pixel(draw_on_white({parent}, 40, 40).pixel(20, 20), {255, 255, 255, 255}, 0));
}

TEST_F(Renderer, CornerRadiusRoundsTheBackgroundAndClippingCutsSubviews) {
  struct Row {
    bool clips;
    Pixel outside_parent;  // where only the overhanging child can be
  };
  for (const Row& r : {Row{false, {0, 0, 255, 255}}, Row{true, {255, 255, 255, 255}}}) {
    SCOPED_TRACE(r.clips ? "clipping" : "not clipping");
    id parent = view_at(10, 10, 100, 100, sim::make_rgba(1, 0, 0, 1));
    round_corners(parent, 30);
    clip(parent, r.clips);
    sim::add_subview(parent, view_at(80, 40, 50, 20, sim::make_rgba(0, 0, 1, 1)));
    sim::render::Surface s = draw_on_white({parent}, 150, 150);
    EXPECT_TRUE(near_pixel(s.pixel(12, 12), {255, 255, 255, 255}, 0));  // the rounded corner
    EXPECT_TRUE(near_pixel(s.pixel(60, 60), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(near_pixel(s.pixel(100, 60), {0, 0, 255, 255}, 0));  // the child inside
    EXPECT_TRUE(near_pixel(s.pixel(125, 60), r.outside_parent, 0));
  }
}

TEST_F(Renderer, PatternColoursTileTheirImage) {
  id tile = sim::make_solid_image(0, 128, 0, 255, CGSize{4, 4}, 1);
  id v = view_at(0, 0, 20, 20, sim::make_pattern(tile));
  EXPECT_TRUE(near_pixel(draw_on_white({v}, 20, 20).pixel(17, 17), {0, 128, 0, 255}, 0));
}

// An icon view stretches its image over its frame, whatever the image's
// pixel size, and masks it to the icon's rounded square.
TEST_F(Renderer, IconImagesAreStretchedIntoTheirFrameAndMasked) {
  const uint8_t quadrants[16] = {255, 0, 0,   255, 0,   255, 0, 255,   // red, green
                                 0,   0, 255, 255, 255, 255, 0, 255};  // blue, yellow
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGImageRef bitmap = sim_CGImageCreateWithBytes(2, 2, 8, rgb, kCGImageAlphaPremultipliedLast, quadrants);
  CGColorSpaceRelease(rgb);
  id image = sim::make_image(bitmap, CGSize{2, 2}, 1);
  CGImageRelease(bitmap);
  id icon = sim::make_icon_image_view(image);
  send<void>(icon, sel("setFrame:"), CGRect{{10, 10}, {80, 80}});
  sim::render::Surface s = draw_on_white({icon}, 100, 100);
  EXPECT_TRUE(near_pixel(s.pixel(28, 28), {255, 0, 0, 255}, 2));
  EXPECT_TRUE(near_pixel(s.pixel(72, 28), {0, 255, 0, 255}, 2));
  EXPECT_TRUE(near_pixel(s.pixel(28, 72), {0, 0, 255, 255}, 2));
  EXPECT_TRUE(near_pixel(s.pixel(72, 72), {255, 255, 0, 255}, 2));
  EXPECT_TRUE(near_pixel(s.pixel(11, 11), {255, 255, 255, 255}, 0));  // outside the icon's corner
}

// Gray PNGs keep their gray colour space (which no RGBA bitmap context
// accepts) yet draw as the gray they hold.
TEST_F(Renderer, GrayPngIconsDrawTheirGray) {
  const Picture grey = uniform_picture(8, 8, {96, 96, 96, 255});
  for (int type : {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA}) {
    SCOPED_TRACE(type);
    const std::string bytes = ordinary_png(grey, type);
    CGImageRef bitmap = sim_CGImageCreateWithPNGData(bytes.data(), bytes.size(), nullptr, 0);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(CGColorSpaceGetModel(CGImageGetColorSpace(bitmap)), kCGColorSpaceModelMonochrome);
    id icon = sim::make_icon_image_view(sim::make_image(bitmap, CGSize{8, 8}, 1));
    CGImageRelease(bitmap);
    send<void>(icon, sel("setFrame:"), CGRect{{10, 10}, {60, 60}});
    EXPECT_TRUE(near_pixel(draw_on_white({icon}, 80, 80).pixel(40, 40), {96, 96, 96, 255}, 1));
  }
}

// The glyphs are drawn in the bar's foregroundColor; a bar given none draws
// in the colour of its own style.
TEST_F(Renderer, StatusBarGlyphsTakeTheForegroundColour) {
  struct Row {
    const char* what;
    NSInteger style;
    id foreground;
    Pixel ink;
  };
  const Row rows[] = {
      {"set to orange", 0, sim::make_rgba(1, 0.5, 0, 1), {255, 128, 0, 255}},
      {"none, light content", 1, nullptr, {255, 255, 255, 255}},
      {"none, dark content", 0, nullptr, {0, 0, 0, 255}},
  };
  for (bool modern : {true, false}) {
    for (const Row& r : rows) {
      SCOPED_TRACE(::testing::Message() << r.what << (modern ? ", modern" : ", legacy"));
      id bar = sim::make_status_bar(modern, r.style);
      send<void>(bar, sel("setBackgroundColor:"), sim::make_rgba(0.5, 0.5, 0.5, 1));
      if (r.foreground) send<void>(bar, sel("setForegroundColor:"), r.foreground);
      CGRect f = send<CGRect>(bar, sel("frame"));
      sim::render::Surface s =
          draw_on_white({bar}, static_cast<int>(f.size.width), static_cast<int>(f.size.height), 2);
      int inked = 0;
      for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) inked += pixel_close(s.pixel(x, y), r.ink, 8) ? 1 : 0;
      EXPECT_GT(inked, 150);  // the time, the bars and the battery, not a stray pixel
    }
  }
}

// The dock's material follows the style its background view draws in, so a
// background pinned light stays light on a dark screen.
TEST_F(Renderer, MaterialsFollowTheEffectiveStyle) {
  struct Row {
    const char* what;
    NSInteger system;
    NSInteger pinned;
    bool light;
  };
  const Row rows[] = {
      {"light screen", 1, 0, true},
      {"dark screen", 2, 0, false},
      {"dark screen, background pinned light", 2, 1, true},
      {"light screen, background pinned dark", 1, 2, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    sim::change_system_style(r.system);
    id dock = sim::make_dock();
    send<void>(dock, sel("layoutSubviews"));
    send<void>(send<id>(dock, sel("valueForKey:"), sim::make_string("_backgroundView")),
               sel("setOverrideUserInterfaceStyle:"), r.pinned);
    // Over a mid grey backdrop, so that either tint shows.
    id backdrop = view_at(0, 700, 375, 112, sim::make_white(0.5, 1));
    sim::render::Surface s = draw_on_white({backdrop, dock}, 375, 812);
    const double lum = sim::render::mean_luminance(s, 40, 722, 300, 20);
    if (r.light) EXPECT_GT(lum, 0.75);
    else EXPECT_LT(lum, 0.3);
  }
}

// Frames that are not finite or lie absurdly far away are skipped, and
// drawing goes on with the next view; the host refuses a subview cycle.
TEST_F(Renderer, BrokenGeometryDoesNotStopTheDrawing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  id bad1 = view_at(nan, 0, 10, 10, sim::make_rgba(0, 0, 0, 1));
  id bad2 = view_at(0, 0, inf, 10, sim::make_rgba(0, 0, 0, 1));
  id bad3 = view_at(1e12, -1e12, 1e12, 1e12, sim::make_rgba(0, 0, 0, 1));
  id huge = view_at(-5, -5, 1e9, 1e9, sim::make_rgba(0, 1, 0, 1));  // covers the canvas: drawn, clamped
  id a = view_at(30, 30, 10, 10, sim::make_rgba(1, 0, 0, 1));
  id b = view_at(0, 0, 5, 5, sim::make_rgba(0, 0, 1, 1));
  sim::add_subview(a, b);
  sim::add_subview(b, a);  // a view cannot take its own ancestor
  EXPECT_EQ(send<id>(a, sel("superview")), nullptr);
  sim::add_subview(a, a);
  EXPECT_EQ(send<id>(a, sel("superview")), nullptr);
  sim::render::Surface s = draw_on_white({bad1, bad2, bad3, huge, a}, 50, 50);
  EXPECT_TRUE(near_pixel(s.pixel(10, 10), {0, 255, 0, 255}, 0));
  EXPECT_TRUE(near_pixel(s.pixel(38, 38), {255, 0, 0, 255}, 0));
  EXPECT_TRUE(near_pixel(s.pixel(31, 31), {0, 0, 255, 255}, 0));
}

TEST(Glyphs, DisplayableTextKeepsValidUtf8AndReplacesTheRest) {
  const std::string r = "\xEF\xBF\xBD";
  struct Row {
    std::string in, out;
  };
  const Row rows[] = {
      {"plain.plist", "plain.plist"},
      {"caf\xC3\xA9 \xE2\x80\xA6 \xF0\x9F\x99\x82", "caf\xC3\xA9 \xE2\x80\xA6 \xF0\x9F\x99\x82"},
      {"a\xFF"
       "b",
       "a" + r + "b"},
      {"\xC0\x80", r + r},               // an overlong NUL
      {"\xED\xA0\x80", r + r + r},       // a surrogate
      {"cut \xE2\x80", "cut " + r + r},  // a sequence cut short
      {"line\nbreak\t", "line" + r + "break" + r},
  };
  for (const Row& row : rows) EXPECT_EQ(sim::render::displayable_text(row.in), row.out) << row.in;
}

}  // namespace
