// corvane-sim preview --app: one banner per app, each tinted from its own
// icon and headed with its name; the widget and the menu show the first app.
#include <gtest/gtest.h>

#include <sstream>

#include "preview/preview_test_util.h"
#include "sim/springboard/PLPlatterHeaderContentView.h"
#include "sim/uikit/UIColor.h"
#include "support/app_fixtures.h"
#include "tools/corvane-sim/preview_scene.h"
#include "tools/corvane-sim/render.h"

using namespace corvane_test;
using namespace corvane::cli;
using sim::sel;
using sim::send;

namespace {

// An app whose icon is one of the project's, as an optimised PNG.
std::map<std::string, std::string> app_files(const std::string& name, const std::string& icon) {
  return {{"Info.plist", info_plist(name, {"AppIcon40x40", "AppIcon60x60"}, true)},
          {"AppIcon60x60@3x.png", optimised_png(project_icon(icon))},
          {"AppIcon40x40@2x.png", optimised_png(project_icon("moss.png"))}};
}

std::optional<std::array<double, 4>> header_tint(id banner) {
  return sim::colour_components(send<id>(send<id>(banner, sel("headerTintView")), sel("backgroundColor")));
}

std::string header_title(id platter) {
  return sim::string_value(send<id>(private_part(platter, "headerContentView"), sel("title")));
}

}  // namespace

TEST(PreviewApps, OneBannerPerAppTintedFromItsOwnIcon) {
  // The tint each icon gets as an ordinary PNG given with --icon (one
  // simulated process at a time, so these come first).
  std::string error;
  std::vector<std::array<double, 4>> want;
  for (const char* icon : {"ember@3x.png", "lagoon@3x.png"}) {
    SceneOptions single;
    single.icon = std::string(CORVANE_SOURCE_DIR) + "/assets/icons/" + icon;
    auto reference = PreviewScene::build(single, &error);
    ASSERT_TRUE(reference) << error;
    sim::AutoreleasePool pool;
    auto tint = header_tint(reference->banner());
    ASSERT_TRUE(tint);
    want.push_back(*tint);
  }
  EXPECT_NE(want[0], want[1]);

  TempDir dir;
  SceneOptions o;
  o.apps = {make_app_folder(dir.path(), "Ember.app", app_files("Ember Mail", "ember@3x.png")),
            make_ipa(dir.path() + "/Lagoon.ipa", "Lagoon.app", app_files("Lagoon", "lagoon@3x.png"))};
  auto scene = PreviewScene::build(o, &error);
  ASSERT_TRUE(scene) << error;
  sim::AutoreleasePool pool;
  ASSERT_EQ(scene->banners().size(), 2u);
  id ember = scene->banners()[0], lagoon = scene->banners()[1];
  EXPECT_EQ(header_title(ember), "Ember Mail");
  EXPECT_EQ(header_title(lagoon), "Lagoon");
  EXPECT_EQ(header_title(scene->widget()), "Ember Mail");
  // Stacked top to bottom, clear of one another and of the widget.
  const CGRect a = send<CGRect>(ember, sel("frame")), b = send<CGRect>(lagoon, sel("frame"));
  EXPECT_GE(b.origin.y, a.origin.y + a.size.height);
  EXPECT_GE(send<CGRect>(scene->widget(), sel("frame")).origin.y, b.origin.y + b.size.height);
  // Each header carries the tint of its own icon, the optimised file
  // sampling as the ordinary one does.
  EXPECT_EQ(header_tint(ember), want[0]);
  EXPECT_EQ(header_tint(lagoon), want[1]);
}

TEST(PreviewApps, WritesThePictureOrRefusesWithStatusTwo) {
  TempDir dir;
  const std::string d = dir.path();
  const std::string good = make_app_folder(d, "Ember.app", app_files("Ember", "ember.png"));
  const std::string ipa = make_ipa(d + "/Moss.ipa", "Moss.app", app_files("Moss", "moss@3x.png"));
  const std::string no_icon = make_app_folder(d, "Bare.app", {{"Info.plist", info_plist("Bare", {"Icon"})}});
  std::map<std::string, std::string> broken_files = app_files("Broken", "ember@3x.png");
  broken_files["AppIcon60x60@3x.png"].resize(70);
  const std::string broken = make_ipa(d + "/Broken.ipa", "Broken.app", broken_files);
  const std::string claims = make_app_folder(
      d, "Claims.app",
      {{"Info.plist", info_plist("Claims", {"Icon"})}, {"Icon.png", crafted_png(16384, 16384, 6, "")}});
  const std::string empty = make_zip(d + "/Empty.ipa", {{"readme.txt", "nothing"}});
  // --icon takes the optimised form too, its size checked before decoding.
  const std::string optimised = d + "/Optimised.png";
  write_bytes(optimised, optimised_png(project_icon("lagoon@3x.png")));
  const std::string huge = d + "/Huge.png";
  write_bytes(huge, std::string("\x89PNG\r\n\x1a\n", 8) +
                        png_chunk("CgBI", std::string("\x50\0\x20\x06", 4)) + ihdr(5000, 5000, 8, 6, 0) +
                        png_chunk("IEND", ""));

  struct Case {
    const char* what;
    std::vector<std::string> apps;
    std::optional<std::string> icon;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"four apps", {good, ipa, good, ipa}, std::nullopt, 0, ""},
      {"optimised --icon", {}, optimised, 0, ""},
      {"optimised --icon too large", {}, huge, 2, "Huge.png is too large (5000x5000 pixels"},
      {"five apps", {good, ipa, good, ipa, good}, std::nullopt, 2, "at most 4 apps"},
      {"icon and app",
       {good},
       std::string(CORVANE_SOURCE_DIR) + "/assets/icons/moss.png",
       2,
       "--icon and --app cannot be used together"},
      {"no icon file", {good, no_icon}, std::nullopt, 2, "Bare.app: none of its icon files is there"},
      {"cut icon",
       {broken},
       std::nullopt,
       2,
       "Broken.ipa: icon AppIcon60x60@3x.png: the data: bad PNG image"},
      {"app icon too large",
       {claims},
       std::nullopt,
       2,
       "Icon.png: the data: bad PNG image: the image is too large"},
      {"no app in the archive", {empty}, std::nullopt, 2, "Empty.ipa holds no app"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PreviewOptions o;
    o.output = d + "/out" + std::to_string(n++) + ".png";
    o.apps = c.apps;
    o.icon = c.icon;
    std::ostringstream out, err;
    EXPECT_EQ(run_preview(o, out, err), c.status) << err.str();
    EXPECT_EQ(std::filesystem::exists(o.output), c.status == 0);
    if (c.status == 0) {
      EXPECT_EQ(out.str(), "wrote " + o.output + "\n");
      EXPECT_TRUE(read_png(o.output).ok());
    } else {
      EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
  }
}
