// Home-screen overrides: the dock and folders pinned to the light style, and
// the black cover over launch zoom snapshots in the dark style.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

#include "sim/foundation/foundation.h"
#include "sim/springboard/SBDockView.h"
#include "sim/springboard/SBFolderBackgroundView.h"
#include "sim/springboard/SBFolderIconImageView.h"
#include "sim/springboard/SBUIController.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/style.h"
#include "support/sim_fixture.h"

using namespace corvane_test;
using sim::sel;
using sim::send;

namespace {

NSInteger override_style(id view) { return send<NSInteger>(view, sel("overrideUserInterfaceStyle")); }
CGRect frame_of(id view) { return send<CGRect>(view, sel("frame")); }
size_t subview_count(id view) { return send<NSUInteger>(send<id>(view, sel("subviews")), sel("count")); }
bool same_rect(CGRect a, CGRect b) {
  return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
         a.size.height == b.size.height;
}
id dock_background(id dock) {
  return send<id>(dock, sel("valueForKey:"), sim::make_string("_backgroundView"));
}

// --- the dock and the folders ---------------------------------------------------

struct PinRow {
  bool force_dock;
  bool force_folders;
};

// Each setting pins exactly its views, after the host's own layout, on
// every pass; the dock view itself is never pinned.
TEST(ForcedLight, EachSettingPinsItsViewsOnly) {
  const PinRow rows[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const PinRow& r : rows) {
    SCOPED_TRACE(::testing::Message()
                 << "forceLightDock " << r.force_dock << ", forceLightFolders " << r.force_folders);
    SimProcess p;
    p.write_settings(
        sim::plist::Dictionary{{"forceLightDock", r.force_dock}, {"forceLightFolders", r.force_folders}});
    p.load();
    sim::AutoreleasePool pool;
    id dock = sim::make_dock();
    id icon = sim::make_folder_icon();
    id folder = sim::make_folder_background();
    // The host's layout stretches the dock's background over its bounds.
    send<void>(dock, sel("setFrame:"), CGRect{{0, 700}, {375, 112}});
    for (int pass = 0; pass < 2; ++pass) {
      for (id v : {dock, icon, folder}) send<void>(v, sel("layoutSubviews"));
      EXPECT_TRUE(same_rect(frame_of(dock_background(dock)), CGRect{{0, 0}, {375, 112}}));
      EXPECT_EQ(override_style(dock_background(dock)), r.force_dock ? 1 : 0);
      EXPECT_EQ(override_style(dock), 0);
      EXPECT_EQ(override_style(icon), r.force_folders ? 1 : 0);
      EXPECT_EQ(override_style(folder), r.force_folders ? 1 : 0);
    }
  }
}

// The background view is looked up afresh at every pass: a dock without one
// lays out without harm, and a new one is pinned at the next pass.
TEST(ForcedLight, DockBackgroundIsLookedUpAtEveryPass) {
  SimProcess p;
  p.write_settings(sim::plist::Dictionary{{"forceLightDock", true}});
  p.load();
  sim::AutoreleasePool pool;
  id dock = sim::make_dock();
  id key = sim::make_string("_backgroundView");
  send<void>(dock, sel("setValue:forKey:"), static_cast<id>(nullptr), key);
  send<void>(dock, sel("layoutSubviews"));
  EXPECT_EQ(dock_background(dock), nullptr);
  EXPECT_EQ(override_style(dock), 0);
  id replacement = sim::make_view("UIView", CGRect{});
  send<void>(dock, sel("setValue:forKey:"), replacement, key);
  send<void>(dock, sel("layoutSubviews"));
  EXPECT_EQ(override_style(replacement), 1);
}

// --- the launch snapshot cover --------------------------------------------------

// The host's own class method counts its runs: the hook always calls it.
IMP g_host_zoom = nullptr;
int g_host_zoom_calls = 0;
id spy_zoom(id self, SEL cmd, id scene, id display, NSInteger orientation, id snapshot, CGSize size,
            id status_bar, BOOL decode) {
  ++g_host_zoom_calls;
  return reinterpret_cast<id (*)(id, SEL, id, id, NSInteger, id, CGSize, id, BOOL)>(g_host_zoom)(
      self, cmd, scene, display, orientation, snapshot, size, status_bar, decode);
}

// A home-screen process with hijackSnap set as given, the library loaded,
// the spy in place and the system in `style`.
void boot_for_cover(SimProcess& p, bool hijack, NSInteger style) {
  g_host_zoom_calls = 0;
  Class meta = object_getClass(reinterpret_cast<id>(sim::class_named("SBUIController")));
  MSHookMessageEx(meta, sel(sim::kZoomViewSelector), reinterpret_cast<IMP>(&spy_zoom), &g_host_zoom);
  p.write_settings(sim::plist::Dictionary{{"hijackSnap", hijack}});
  p.load();
  sim::change_system_style(style);
  ASSERT_EQ(sim::system_style(), style);
}

void set_style(NSInteger style) {
  sim::change_system_style(style);
  ASSERT_EQ(sim::system_style(), style);
}

// The class method as the host sends it, with any arguments.
id zoom(id scene, id display, NSInteger orientation, id snapshot, CGSize size, id status_bar, BOOL decode) {
  return send<id>(reinterpret_cast<id>(sim::class_named("SBUIController")), sel(sim::kZoomViewSelector),
                  scene, display, orientation, snapshot, size, status_bar, decode);
}

// A plain black view of exactly that frame, with nothing in it.
void expect_cover(id view, CGRect frame) {
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(sim::class_name_of(view), "UIView");
  EXPECT_TRUE(same_rect(frame_of(view), frame));
  EXPECT_EQ(sim::colour_components(send<id>(view, sel("backgroundColor"))),
            (std::array<double, 4>{0, 0, 0, 1}));
  EXPECT_EQ(subview_count(view), 0u);
}

// The host's own zoom view: framed by the snapshot size, holding the
// snapshot.
void expect_host_view(id view, CGRect frame) {
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(same_rect(frame_of(view), frame));
  EXPECT_EQ(send<id>(view, sel("backgroundColor")), nullptr);
  EXPECT_EQ(subview_count(view), 1u);
}

// Only hijackSnap in the dark style replaces the host's view; the host's
// method runs in every case.
TEST(LaunchCover, BySettingAndStyle) {
  struct Row {
    bool hijack;
    NSInteger style;
    bool covered;
  };
  const Row rows[] = {{true, 2, true},   {true, 1, false},  {true, 0, false},
                      {false, 2, false}, {false, 1, false}, {false, 0, false}};
  const CGRect frame{{0, 0}, {320, 568}};
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message() << "hijackSnap " << r.hijack << ", style " << r.style);
    SimProcess p;
    ASSERT_NO_FATAL_FAILURE(boot_for_cover(p, r.hijack, r.style));
    sim::AutoreleasePool pool;
    id view = sim::request_zoom_view(frame.size);
    EXPECT_EQ(g_host_zoom_calls, 1);
    if (r.covered) expect_cover(view, frame);
    else expect_host_view(view, frame);
  }
}

// In the dark style the cover takes the host view's frame whatever the
// scene handle, display, orientation, snapshot, size or decode flag; in the
// light style the same calls give the host's view.
TEST(LaunchCover, WhateverTheArguments) {
  SimProcess p;
  ASSERT_NO_FATAL_FAILURE(boot_for_cover(p, true, 2));
  sim::AutoreleasePool pool;
  struct Args {
    id scene;
    id display;
    NSInteger orientation;
    CGSize image;  // the snapshot's own size
    CGSize size;   // the snapshot size argument
    BOOL decode;
  };
  const Args calls[] = {
      {nullptr, nullptr, 1, {375, 812}, {375, 812}, YES},
      {sim::make_string("scene:com.example.app"), sim::make_string("main"), 3, {10, 10}, {812, 375}, NO},
      {sim::make_string("scene"), nullptr, 4, {1, 1}, {0.5, 1234.25}, YES},
      {nullptr, sim::make_string("external"), 2, {375, 812}, {0, 0}, NO},
  };
  for (const Args& a : calls) {
    SCOPED_TRACE(::testing::Message() << a.size.width << "x" << a.size.height);
    id snapshot = sim::make_solid_image(10, 20, 30, 255, a.image, 1);
    CGRect frame{{0, 0}, a.size};
    ASSERT_NO_FATAL_FAILURE(set_style(2));
    expect_cover(zoom(a.scene, a.display, a.orientation, snapshot, a.size, nullptr, a.decode), frame);
    ASSERT_NO_FATAL_FAILURE(set_style(1));
    expect_host_view(zoom(a.scene, a.display, a.orientation, snapshot, a.size, nullptr, a.decode), frame);
  }
  EXPECT_EQ(g_host_zoom_calls, 8);
}

// Without a snapshot the host answers nil: the cover then has a zero frame
// in the dark style with hijackSnap, and nil passes through otherwise.
TEST(LaunchCover, NilZoomView) {
  struct Row {
    bool hijack;
    NSInteger style;
    bool covered;
  };
  const Row rows[] = {{true, 2, true}, {true, 1, false}, {false, 2, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message() << "hijackSnap " << r.hijack << ", style " << r.style);
    SimProcess p;
    ASSERT_NO_FATAL_FAILURE(boot_for_cover(p, r.hijack, r.style));
    sim::AutoreleasePool pool;
    id view = zoom(nullptr, nullptr, 1, nullptr, CGSize{375, 812}, nullptr, YES);
    EXPECT_EQ(g_host_zoom_calls, 1);
    if (r.covered) expect_cover(view, CGRect{});
    else EXPECT_EQ(view, nullptr);
  }
}

// However large the snapshot size, the host's snapshot bitmap stays within
// 2048 pixels a side, and the views keep the size asked for.
TEST(LaunchCover, HugeSnapshotSizes) {
  SimProcess p;
  ASSERT_NO_FATAL_FAILURE(boot_for_cover(p, false, 1));
  sim::AutoreleasePool pool;
  const CGSize sizes[] = {{100000, 100000}, {3000, 10}, {2048, 2048}};
  for (CGSize size : sizes) {
    SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height);
    id view = sim::request_zoom_view(size);
    expect_host_view(view, CGRect{{0, 0}, size});
    id contents = send<id>(send<id>(view, sel("subviews")), sel("firstObject"));
    id pattern = send<id>(contents, sel("backgroundColor"));
    ASSERT_NE(pattern, nullptr);
    id snapshot = sim::as<sim::UIColorObj>(pattern)->pattern_image;
    CGImageRef bitmap = sim::as<sim::UIImageObj>(snapshot)->cg_image;
    ASSERT_NE(bitmap, nullptr);
    EXPECT_LE(CGImageGetWidth(bitmap), 2048u);
    EXPECT_LE(CGImageGetHeight(bitmap), 2048u);
  }
}

// The cover is handed back as the host's view would be: owned by no one, so
// it is freed when the caller's pool drains.
TEST(LaunchCover, CoverIsFreedWithTheCallersPool) {
  SimProcess p;
  ASSERT_NO_FATAL_FAILURE(boot_for_cover(p, true, 2));
  sim::Weak cover;
  {
    sim::AutoreleasePool pool;
    cover = sim::request_zoom_view(CGSize{375, 812});
    ASSERT_NE(cover.get(), nullptr);
    EXPECT_EQ(subview_count(cover), 0u);
  }
  EXPECT_EQ(cover.get(), nullptr);
}

}  // namespace
