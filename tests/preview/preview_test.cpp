// corvane-sim preview: the picture it writes, what the library's settings
// do to it, and how it refuses bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "preview/preview_test_util.h"
#include "sim/foundation/plist_file.h"
#include "sim/uikit/UIColor.h"
#include "support/sim_fixture.h"
#include "tools/corvane-sim/preview_scene.h"
#include "tools/corvane-sim/render.h"

using namespace corvane_test;
using namespace corvane::cli;
using sim::sel;
using sim::send;

namespace {

struct PreviewRun {
  int status;
  std::string out, err;
};

PreviewRun preview(const PreviewOptions& o) {
  std::ostringstream out, err;
  int status = run_preview(o, out, err);
  return {status, out.str(), err.str()};
}

std::string write_file(const TempDir& dir, const std::string& name, const std::string& bytes) {
  std::string path = dir.path() + "/" + name;
  write_bytes(path, bytes);
  return path;
}

std::string settings_file(const TempDir& dir, const sim::plist::Dictionary& d, bool binary = false) {
  sim::plist::Value v(d);
  return write_file(dir, binary ? "settings.bplist" : "settings.plist",
                    binary ? sim::plist::to_binary(v) : sim::plist::to_xml(v));
}

std::vector<std::string> folder_entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

double screen_luminance(const sim::render::Surface& s, CGRect r) {
  return sim::render::mean_luminance(s, static_cast<int>(r.origin.x), static_cast<int>(r.origin.y),
                                     static_cast<int>(r.size.width), static_cast<int>(r.size.height));
}

// The dock's material, clear of its icons and rounded corners: a strip along
// its top, in a screen at `screen` (pixels).
double dock_strip_luminance(const sim::render::Surface& s, CGRect screen, CGRect dock) {
  const double k = kPreviewScale;
  return sim::render::mean_luminance(s, static_cast<int>(screen.origin.x + (dock.origin.x + 30) * k),
                                     static_cast<int>(screen.origin.y + (dock.origin.y + 3) * k),
                                     static_cast<int>((dock.size.width - 60) * k), static_cast<int>(8 * k));
}

// --- the picture ---------------------------------------------------------------

// Each run writes one whole picture of the expected size and names it on
// one line; the dark screen is clearly darker than the light one.
TEST(Preview, WritesTheLightAndDarkScreensSideBySide) {
  TempDir dir;
  struct Row {
    const char* what;
    PreviewOptions options;
  };
  PreviewOptions defaults;
  defaults.output = dir.path() + "/defaults.png";
  PreviewOptions ios14 = defaults;
  ios14.output = dir.path() + "/ios14.png";
  ios14.ios = IosVersion{14, 2, 0};
  PreviewOptions custom = defaults;
  custom.output = dir.path() + "/custom.png";
  custom.icon = std::string(CORVANE_SOURCE_DIR) + "/assets/icons/lagoon@3x.png";
  custom.settings = settings_file(dir, {{"darkColorTint", true}, {"forceLightDock", true}}, true);
  const std::string settings_bytes = read_bytes(*custom.settings);
  for (const Row& r :
       {Row{"defaults", defaults}, Row{"iOS 14.2", ios14}, Row{"icon and binary settings", custom}}) {
    SCOPED_TRACE(r.what);
    PreviewRun run = preview(r.options);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "wrote " + r.options.output + "\n");
    sim::render::Surface png = read_png(r.options.output);
    ASSERT_TRUE(png.ok());
    const PreviewGeometry g = preview_geometry();
    EXPECT_EQ(png.width(), g.width);
    EXPECT_EQ(png.height(), g.height);
    const double light = screen_luminance(png, g.light_screen), dark = screen_luminance(png, g.dark_screen);
    EXPECT_LT(dark, light - 0.2) << "light " << light << ", dark " << dark;
  }
  // The library rewrites its settings file at every style change: the
  // preview's copy, never the user's file.
  EXPECT_EQ(read_bytes(*custom.settings), settings_bytes);
  // Nothing but the pictures (and the inputs) is left in the folder.
  EXPECT_EQ(folder_entries(dir.path()),
            (std::vector<std::string>{"custom.png", "defaults.png", "ios14.png", "settings.bplist"}));
}

// The header strip shows the tint the library gave the banner's header tint
// view, composited over what lies behind it: predicted from the colour read
// from the scene and the same point drawn with the tint view hidden.
TEST(Preview, BannerHeaderCarriesTheIconTint) {
  struct Row {
    const char* what;
    NSInteger style;
    sim::plist::Dictionary settings;
  };
  const Row rows[] = {
      {"light, defaults", 1, {}},
      {"dark, darkColorTint", 2, {{"darkColorTint", true}}},
      {"dark, dark offset backdrop", 2, {{"useDarkOffset", true}, {"darkModeOffset", 0.6}}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TempDir dir;
    SceneOptions o;
    o.settings = settings_file(dir, r.settings);
    std::string error;
    auto scene = PreviewScene::build(o, &error);
    ASSERT_TRUE(scene) << error;
    if (r.style != 1) scene->switch_style(r.style);

    sim::AutoreleasePool pool;
    id tint_view = send<id>(scene->banner(), sel("headerTintView"));
    ASSERT_TRUE(tint_view);
    auto tint = sim::colour_components(send<id>(tint_view, sel("backgroundColor")));
    ASSERT_TRUE(tint);
    const CGPoint probe = scene->banner_tint_probe();
    const int px = static_cast<int>(probe.x * kPreviewScale), py = static_cast<int>(probe.y * kPreviewScale);
    const Pixel shown = scene->render(kPreviewScale).pixel(px, py);
    send<void>(tint_view, sel("setHidden:"), true);
    const Pixel behind = scene->render(kPreviewScale).pixel(px, py);
    send<void>(tint_view, sel("setHidden:"), false);

    const double a = std::clamp((*tint)[3], 0.0, 1.0);
    Pixel want{};
    for (int c = 0; c < 3; ++c)
      want[c] =
          static_cast<uint8_t>(std::lround(255 * std::clamp((*tint)[c], 0.0, 1.0) * a + behind[c] * (1 - a)));
    want[3] = 255;
    EXPECT_TRUE(near_pixel(shown, want, 2));
    EXPECT_FALSE(near_pixel(shown, behind, 6)) << "the tint should show";
  }
}

// The composed picture carries each screen exactly where the geometry says.
TEST(Preview, PictureHoldsTheScreensAsRendered) {
  std::string error;
  auto scene = PreviewScene::build(SceneOptions{}, &error);
  ASSERT_TRUE(scene) << error;
  const sim::render::Surface light = scene->render(kPreviewScale);
  PreviewPicture picture = compose_preview(*scene, "defaults", IosVersion{});
  const sim::render::Surface dark = scene->render(kPreviewScale);
  ASSERT_TRUE(picture.image.ok());
  const PreviewGeometry& g = picture.geometry;
  // Points in the middle of the screens, clear of the rounded corners and
  // the sensor housing.
  for (CGPoint p : {CGPoint{187, 100}, CGPoint{228, 54}, CGPoint{60, 760}, CGPoint{300, 500}}) {
    const int x = static_cast<int>(p.x * kPreviewScale), y = static_cast<int>(p.y * kPreviewScale);
    EXPECT_TRUE(near_pixel(picture.image.pixel(static_cast<int>(g.light_screen.origin.x) + x,
                                               static_cast<int>(g.light_screen.origin.y) + y),
                           light.pixel(x, y), 0));
    EXPECT_TRUE(near_pixel(picture.image.pixel(static_cast<int>(g.dark_screen.origin.x) + x,
                                               static_cast<int>(g.dark_screen.origin.y) + y),
                           dark.pixel(x, y), 0));
  }
}

// The README's pictures are what the preview draws today, at scale 1, with
// the settings file each caption names (as given, relative to the
// repository). Pixels are compared, not the files' bytes.
TEST(Preview, ReadmePicturesAreCurrent) {
  struct Row {
    const char* picture;
    const char* settings;  // nullptr: the defaults
  };
  for (const Row& r :
       {Row{"docs/preview.png", nullptr}, Row{"docs/preview-dark-tint.png", "docs/dark-tint.plist"}}) {
    SCOPED_TRACE(r.picture);
    SceneOptions o;
    if (r.settings) o.settings = std::string(CORVANE_SOURCE_DIR) + "/" + r.settings;
    std::string error;
    auto scene = PreviewScene::build(o, &error);
    ASSERT_TRUE(scene) << error;
    const PreviewPicture drawn =
        compose_preview(*scene, r.settings ? r.settings : "defaults", IosVersion{}, 1);
    const sim::render::Surface committed = read_png(std::string(CORVANE_SOURCE_DIR) + "/" + r.picture);
    ASSERT_TRUE(committed.ok());
    ASSERT_EQ(committed.width(), drawn.geometry.width);
    ASSERT_EQ(committed.height(), drawn.geometry.height);
    size_t differing = 0;
    for (int y = 0; y < committed.height(); ++y)
      for (int x = 0; x < committed.width(); ++x)
        differing += committed.pixel(x, y) != drawn.image.pixel(x, y);
    EXPECT_EQ(differing, 0u) << "out of date: run the command under the picture in README.md again";
  }
}

// With forceLightDock the dock stays light on the dark screen, about as
// light as on the light one; without it the dark screen's dock is dark.
TEST(Preview, ForceLightDockKeepsTheDockLight) {
  for (bool force : {false, true}) {
    SCOPED_TRACE(force ? "forceLightDock" : "defaults");
    TempDir dir;
    PreviewOptions o;
    o.output = dir.path() + "/p.png";
    o.settings = settings_file(dir, {{"forceLightDock", force}});
    PreviewRun run = preview(o);
    ASSERT_EQ(run.status, 0) << run.err;
    sim::render::Surface png = read_png(o.output);
    const PreviewGeometry g = preview_geometry();
    const CGRect dock{{8, 716}, {359, 88}};
    const double light = dock_strip_luminance(png, g.light_screen, dock);
    const double dark = dock_strip_luminance(png, g.dark_screen, dock);
    if (force) EXPECT_NEAR(dark, light, 0.1);
    else EXPECT_LT(dark, light - 0.35);
    EXPECT_GT(light, 0.7);
  }
}

// --- bad input -------------------------------------------------------------------

// Status 2, a message naming the file or value, and no picture (nor any
// temporary file) left behind.
TEST(Preview, RefusesBadInputAndLeavesNoFile) {
  TempDir dir;
  const std::string out = dir.path() + "/out.png";
  const std::string text = write_file(dir, "notes.txt", "not a property list, not a picture\n");
  const std::string array =
      write_file(dir, "array.plist", sim::plist::to_xml(sim::plist::Value(sim::plist::Array{1, 2})));
  // A PNG signature and image header claiming 5000 × 5000 pixels.
  const std::string huge = write_file(
      dir, "huge.png",
      std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x13\x88\0\0\x13\x88\x08\x06\0\0\0", 29) + "junk");
  // A valid header over data that does not decode: only found once decoding starts.
  const std::string broken = write_file(
      dir, "broken.png",
      std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0", 29) + "junk");
  std::filesystem::create_directory(dir.path() + "/folder");
  const std::vector<std::string> before = folder_entries(dir.path());

  struct Row {
    const char* what;
    PreviewOptions options;
    std::string named;  // what the message must name
  };
  auto with = [&](auto change) {
    PreviewOptions o;
    o.output = out;
    change(o);
    return o;
  };
  const Row rows[] = {
      {"missing settings", with([&](auto& o) { o.settings = dir.path() + "/absent.plist"; }), "absent.plist"},
      {"settings not a plist", with([&](auto& o) { o.settings = text; }), text},
      {"settings not a dictionary", with([&](auto& o) { o.settings = array; }), array},
      {"settings is a folder", with([&](auto& o) { o.settings = dir.path() + "/folder"; }),
       dir.path() + "/folder"},
      {"icon is not a file", with([](auto& o) { o.icon = "/dev/null"; }), "/dev/null"},
      {"missing icon", with([&](auto& o) { o.icon = dir.path() + "/absent.png"; }), "absent.png"},
      {"icon not a PNG", with([&](auto& o) { o.icon = text; }), text},
      {"icon too large", with([&](auto& o) { o.icon = huge; }), huge},
      {"icon does not decode", with([&](auto& o) { o.icon = broken; }), broken},
      {"iOS below 13", with([](auto& o) {
         o.ios = IosVersion{12, 4, 0};
       }),
       "12.4"},
      {"iOS 15", with([](auto& o) {
         o.ios = IosVersion{15, 0, 0};
       }),
       "15.0"},
      {"output folder missing", with([&](auto& o) { o.output = dir.path() + "/no/such/out.png"; }),
       "no/such/out.png"},
      {"output is a folder", with([&](auto& o) { o.output = dir.path() + "/folder"; }),
       dir.path() + "/folder"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    PreviewRun run = preview(r.options);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(r.named), std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("corvane-sim: ", 0), 0u) << run.err;
    EXPECT_EQ(folder_entries(dir.path()), before);
  }
}

// A file name of any bytes is named in the caption without upsetting the
// drawing: the caption line is drawn (dark text below the phones).
TEST(Preview, CaptionsSettingsFilesWithAnyName) {
  TempDir dir;
  PreviewOptions o;
  o.output = dir.path() + "/p.png";
  o.settings = write_file(dir, "odd\xff\x01name.plist",
                          sim::plist::to_xml(sim::plist::Value(sim::plist::Dictionary{})));
  PreviewRun run = preview(o);
  ASSERT_EQ(run.status, 0) << run.err;
  sim::render::Surface png = read_png(o.output);
  const PreviewGeometry g = preview_geometry();
  const CGRect& s = g.dark_screen;
  // The caption's second line, under the dark phone.
  const int top = static_cast<int>(s.origin.y + s.size.height + (12 + 48) * kPreviewScale);
  int dark_pixels = 0;
  for (int y = top; y < top + 20 * static_cast<int>(kPreviewScale); ++y)
    for (int x = static_cast<int>(s.origin.x); x < static_cast<int>(s.origin.x + s.size.width); ++x)
      dark_pixels += sim::render::luminance(png.pixel(x, y)) < 0.5 ? 1 : 0;
  EXPECT_GT(dark_pixels, 300);
}

}  // namespace
