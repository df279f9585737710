// corvane-sim pane: the page it reads from the pane, the README's picture,
// and how it refuses bad input.
#include "tools/corvane-sim/pane_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "preview/preview_test_util.h"
#include "sim/foundation/plist_file.h"
#include "support/sim_fixture.h"

using namespace corvane_test;
using namespace corvane::cli;

namespace {

const PaneRow* find_row(const PanePage& page, const std::string& label) {
  for (const PaneGroup& g : page.groups)
    for (const PaneRow& r : g.rows)
      if (r.label == label) return &r;
  return nullptr;
}

// The rows show what the settings file holds, read as the library reads it
// (a string for a switch reads as the library reads a string), and the
// defaults for what it lacks.
TEST(PanePicture, PageShowsTheSettingsFileAsTheLibraryReadsIt) {
  TempDir dir;
  const std::string path = dir.path() + "/s.plist";
  write_bytes(path, sim::plist::to_xml(sim::plist::Value(sim::plist::Dictionary{
                        {"notifications", false}, {"lightColorStrength", 0.25}, {"widgets", "NO"}})));
  std::string error;
  auto page = load_pane_page(path, IosVersion{}, &error);
  ASSERT_TRUE(page) << error;
  EXPECT_EQ(page->title, "Corvane13");
  size_t switches = 0, sliders = 0;
  for (const PaneGroup& g : page->groups)
    for (const PaneRow& r : g.rows) {
      switches += r.cell == "switch";
      sliders += r.cell == "slider" && r.show_value;
    }
  EXPECT_EQ(switches + sliders, 19u);
  const struct {
    const char* label;
    bool on;
    double value;
  } rows[] = {{"Notification banners", false, 0}, {"Widgets", false, 0}, {"Light strength", false, 0.25}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    const PaneRow* row = find_row(*page, r.label);
    ASSERT_TRUE(row);
    if (row->cell == "switch") EXPECT_EQ(row->on, r.on);
    else EXPECT_DOUBLE_EQ(row->value, r.value);
  }
  const PaneRow* apps = find_row(*page, "Apps with a themed status bar");
  ASSERT_TRUE(apps);
  EXPECT_TRUE(apps->opens_page);
  const PaneRow* version = find_row(*page, "Version");
  ASSERT_TRUE(version);
  EXPECT_EQ(version->detail, CORVANE_VERSION);
}

// The README's picture is what the command draws today (scale 1, defaults).
TEST(PanePicture, ReadmePictureIsCurrent) {
  std::string error;
  auto page = load_pane_page(std::nullopt, IosVersion{}, &error);
  ASSERT_TRUE(page) << error;
  const PreviewPicture drawn = compose_pane(*page, "defaults", IosVersion{}, 1);
  const sim::render::Surface committed = read_png(std::string(CORVANE_SOURCE_DIR) + "/docs/pane.png");
  ASSERT_TRUE(committed.ok());
  ASSERT_EQ(committed.width(), drawn.image.width());
  ASSERT_EQ(committed.height(), drawn.image.height());
  size_t differing = 0;
  for (int y = 0; y < committed.height(); ++y)
    for (int x = 0; x < committed.width(); ++x) differing += committed.pixel(x, y) != drawn.image.pixel(x, y);
  EXPECT_EQ(differing, 0u) << "out of date: run the command under the picture in README.md again";
}

// Status 2, a message naming the file, nothing left behind; a good run
// writes one picture with the dark page darker than the light one.
TEST(PanePicture, WritesOnePictureOrRefusesBadInput) {
  TempDir dir;
  const std::string array = dir.path() + "/array.plist";
  write_bytes(array, sim::plist::to_xml(sim::plist::Value(sim::plist::Array{1, 2})));
  const std::string text = dir.path() + "/notes.txt";
  write_bytes(text, "not a property list\n");
  std::filesystem::create_directory(dir.path() + "/folder");
  const struct {
    const char* what;
    std::optional<std::string> settings;
    std::string output, named;
  } rows[] = {
      {"missing settings", dir.path() + "/absent.plist", "out.png", "absent.plist"},
      {"settings not a plist", text, "out.png", text},
      {"settings not a dictionary", array, "out.png", array},
      {"output is a folder", std::nullopt, "folder", dir.path() + "/folder"},
      {"output folder missing", std::nullopt, "no/out.png", "no/out.png"},
  };
  auto entries = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto before = entries();
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    std::ostringstream out, err;
    PaneOptions o;
    o.settings = r.settings;
    o.output = dir.path() + "/" + r.output;
    EXPECT_EQ(run_pane(o, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find(r.named), std::string::npos) << err.str();
    EXPECT_EQ(entries(), before);
  }
  std::ostringstream out, err;
  PaneOptions o;
  o.output = dir.path() + "/pane.png";
  o.ios = IosVersion{14, 2, 0};
  ASSERT_EQ(run_pane(o, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "wrote " + o.output + "\n");
  const sim::render::Surface png = read_png(o.output);
  ASSERT_TRUE(png.ok());
  const int half = png.width() / 2;
  EXPECT_LT(sim::render::mean_luminance(png, half, 0, half, png.height()),
            sim::render::mean_luminance(png, 0, 0, half, png.height()) - 0.2);
}

}  // namespace
