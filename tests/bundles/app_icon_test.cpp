// Finding an app's name and icon in an `.app` folder or an `.ipa` archive,
// as the home screen does, and refusing what is not an app.
#include "sim/bundles/app_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/app_fixtures.h"

using namespace corvane_test;
using sim::bundles::find_app_icon;
using sim::bundles::icon_names;
using sim::plist::Array;
using sim::plist::Dictionary;
using sim::plist::Value;

namespace {

std::string xml(const Dictionary& d) { return sim::plist::to_xml(Value(d)); }

std::string square_png(uint32_t side) {
  return optimised_png(uniform_picture(side, side, {10, 20, 30, 255}));
}

}  // namespace

TEST(AppIcon, NamesComeFromThePrimaryIconFirst) {
  const Dictionary primary{
      {"CFBundlePrimaryIcon", Dictionary{{"CFBundleIconFiles", Array{"AppIcon20x20", "AppIcon60x60"}}}}};
  struct Case {
    const char* what;
    std::string plist;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"primary icon, XML",
       xml({{"CFBundleIcons", primary}, {"CFBundleIconFiles", Array{"Old"}}}),
       {"AppIcon20x20", "AppIcon60x60"}},
      {"primary icon, binary",
       sim::plist::to_binary(Value(Dictionary{{"CFBundleIcons", primary}})),
       {"AppIcon20x20", "AppIcon60x60"}},
      {"top-level icon files",
       xml({{"CFBundleIconFiles", Array{"Icon", "Icon-Small"}}, {"CFBundleIconFile", "X"}}),
       {"Icon", "Icon-Small"}},
      {"single icon file", xml({{"CFBundleIconFile", "Icon.png"}}), {"Icon.png"}},
      {"primary icon without files falls back",
       xml({{"CFBundleIcons", Dictionary{{"CFBundlePrimaryIcon", Dictionary{}}}},
            {"CFBundleIconFile", "Icon"}}),
       {"Icon"}},
      {"names that leave the bundle are dropped",
       xml({{"CFBundleIconFiles", Array{"../../etc/passwd", "sub/Icon", "..", "Good", 7}}}),
       {"Good"}},
      {"no icon keys", xml({{"CFBundleName", "Plain"}}), {}},
      {"not a dictionary", sim::plist::to_xml(Value(Array{"Icon"})), {}},
      {"not a property list", "Info", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(icon_names(c.plist), c.want);
  }
  EXPECT_EQ(sim::bundles::icon_file_candidates("Icon.png"),
            (std::vector<std::string>{"Icon@3x.png", "Icon@3x~iphone.png", "Icon@2x.png",
                                      "Icon@2x~iphone.png", "Icon.png", "Icon~iphone.png"}));
}

TEST(AppIcon, TakesTheLargestIconPresentInFoldersAndArchives) {
  TempDir dir;
  const std::map<std::string, std::string> files{
      {"Info.plist", info_plist("Weather Now", {"AppIcon20x20", "AppIcon60x60"}, true)},
      {"AppIcon20x20@3x.png", square_png(60)},
      {"AppIcon60x60@2x~iphone.png", square_png(120)},
      {"AppIcon60x60.png", square_png(60)},
      {"Other@3x.png", square_png(300)},  // not named by Info.plist
  };
  const std::string folder = make_app_folder(dir.path(), "Weather.app", files);
  const std::string ipa = make_ipa(dir.path() + "/Weather.ipa", "Weather.app", files);
  for (const std::string& path : {folder, folder + "/", ipa}) {
    SCOPED_TRACE(path);
    std::string error;
    auto app = find_app_icon(path, &error);
    ASSERT_TRUE(app) << error;
    EXPECT_EQ(app->app_name, "Weather Now");
    EXPECT_EQ(app->file, "AppIcon60x60@2x~iphone.png");
    EXPECT_EQ(app->scale, 2);
    EXPECT_EQ(app->png, std::vector<unsigned char>(files.at(app->file).begin(), files.at(app->file).end()));
  }
}

TEST(AppIcon, NameFallsBackToBundleNameThenFolder) {
  TempDir dir;
  const std::string icon = ordinary_png(uniform_picture(4, 4, {1, 2, 3, 255}));
  struct Case {
    Dictionary info;
    std::string want;
  };
  std::string accented;  // 40 two-byte characters
  for (int i = 0; i < 40; ++i) accented += "\xC3\xA9";
  const Case cases[] = {
      {{{"CFBundleDisplayName", "Shown"}, {"CFBundleName", "Short"}}, "Shown"},
      // Long names are cut to 32 characters, the last an ellipsis.
      {{{"CFBundleDisplayName", std::string(100000, 'x')}}, std::string(31, 'x') + "\u2026"},
      {{{"CFBundleDisplayName", std::string(32, 'y')}}, std::string(32, 'y')},
      {{{"CFBundleName", accented}}, accented.substr(0, 62) + "\u2026"},
      {{{"CFBundleDisplayName", ""}, {"CFBundleName", "Short"}}, "Short"},
      {{{"CFBundleName", 3}}, "Folder"},
  };
  int n = 0;
  for (const Case& c : cases) {
    Dictionary info = c.info;
    info.set("CFBundleIconFile", "Icon");
    const std::string app = make_app_folder(dir.path() + "/" + std::to_string(n++), "Folder.app",
                                            {{"Info.plist", xml(info)}, {"Icon.png", icon}});
    std::string error;
    auto found = find_app_icon(app, &error);
    ASSERT_TRUE(found) << error;
    EXPECT_EQ(found->app_name, c.want);
    EXPECT_EQ(found->scale, 1);
  }
}

TEST(AppIcon, RefusesWhatIsNotAnAppWithAMessage) {
  TempDir dir;
  const std::string d = dir.path();
  const std::string plist = info_plist("A", {"Icon"});
  const std::string icon = square_png(8);
  std::string damaged =
      read_bytes(make_ipa(d + "/good.ipa", "A.app", {{"Info.plist", plist}, {"Icon@2x.png", icon}}));
  // Spoil the stored data of the first entry (after its local header).
  for (size_t i = 40; i < 80 && i < damaged.size(); ++i) damaged[i] = char(damaged[i] ^ 0x5a);
  write_bytes(d + "/damaged.ipa", damaged);
  std::filesystem::create_directories(d + "/Empty.app");
  write_bytes(d + "/huge/Big.app/Info.plist", plist);
  std::filesystem::resize_file(d + "/huge/Big.app/Info.plist", sim::bundles::kMaxBundleFileBytes + 1);
  std::string huge_entry(sim::bundles::kMaxBundleFileBytes + 1, ' ');
  write_bytes(d + "/outside.png", icon);
  make_app_folder(d, "LinkedIcon.app", {{"Info.plist", plist}});
  std::filesystem::create_symlink(d + "/outside.png", d + "/LinkedIcon.app/Icon@2x.png");
  std::filesystem::create_directories(d + "/LinkedInfo.app");
  std::filesystem::create_symlink(d + "/huge/Big.app/Info.plist", d + "/LinkedInfo.app/Info.plist");

  struct Case {
    const char* what;
    std::string path;
    std::string message;
  };
  const Case cases[] = {
      {"missing", d + "/absent.app", "absent.app: No such file or directory"},
      {"folder without Info.plist", d + "/Empty.app", "has no Info.plist"},
      {"Info.plist not a dictionary",
       make_app_folder(d, "List.app", {{"Info.plist", sim::plist::to_xml(Value(Array{}))}}),
       "not a property-list dictionary"},
      {"no icon named", make_app_folder(d, "Bare.app", {{"Info.plist", xml({{"CFBundleName", "Bare"}})}}),
       "names no icon"},
      {"icon file absent", make_app_folder(d, "Lost.app", {{"Info.plist", plist}}),
       "none of its icon files is there (looked for Icon@3x.png, Icon@3x~iphone.png"},
      {"icon not a PNG", make_app_folder(d, "Text.app", {{"Info.plist", plist}, {"Icon.png", "words"}}), ""},
      {"Info.plist too large", d + "/huge/Big.app", "is too large"},
      {"not a zip", (write_bytes(d + "/text.ipa", "not a zip at all"), d + "/text.ipa"), "not a zip archive"},
      {"archive without Payload", make_zip(d + "/none.ipa", {{"Other/A.app/Info.plist", plist}}),
       "holds no app"},
      {"archive with two apps",
       make_zip(d + "/two.ipa", {{"Payload/A.app/Info.plist", plist}, {"Payload/B.app/Info.plist", plist}}),
       "holds 2 apps (A.app, B.app)"},
      {"app in the archive without Info.plist", make_ipa(d + "/noinfo.ipa", "A.app", {{"Icon.png", icon}}),
       "Payload/A.app/Info.plist is missing"},
      {"entry too large",
       make_ipa(d + "/big.ipa", "A.app", {{"Info.plist", plist}, {"Icon@2x.png", huge_entry}}),
       "Payload/A.app/Icon@2x.png is too large"},
      {"damaged entry", d + "/damaged.ipa", "damaged"},
      {"a device", "/dev/null", "neither a folder nor a regular file"},
      {"icon a symbolic link", d + "/LinkedIcon.app", "Icon@2x.png: a symbolic link (links inside a bundle"},
      {"Info.plist a symbolic link", d + "/LinkedInfo.app", "Info.plist: a symbolic link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    auto app = find_app_icon(c.path, &error);
    if (std::string(c.what) == "icon not a PNG") {
      // Found: the file is there; decoding it is the caller's step.
      ASSERT_TRUE(app) << error;
      EXPECT_EQ(app->file, "Icon.png");
      continue;
    }
    EXPECT_FALSE(app);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
  }
}

// An archive inflates a file on every read: a name listed thousands of
// times, or with and without ".png", must cost one read of each file.
TEST(AppIcon, EachIconFileIsReadOnce) {
  struct CountingFiles : sim::bundles::BundleFiles {
    std::map<std::string, std::string> files;
    mutable std::map<std::string, int> reads;
    std::string bundle_name() const override { return "Many.app"; }
    bool has(const std::string& relative) const override { return files.count(relative) != 0; }
    bool read(const std::string& relative, std::vector<unsigned char>* bytes, std::string*) const override {
      ++reads[relative];
      const std::string& b = files.at(relative);
      bytes->assign(b.begin(), b.end());
      return true;
    }
  } bundle;
  std::vector<std::string> names(20000, "Icon");
  names.push_back("Icon.png");
  bundle.files = {{"Info.plist", info_plist("Many", names)}, {"Icon@2x.png", square_png(8)}};
  std::string error;
  auto app = sim::bundles::find_app_icon(bundle, "Many.app", &error);
  ASSERT_TRUE(app) << error;
  EXPECT_EQ(app->file, "Icon@2x.png");
  EXPECT_EQ(bundle.reads, (std::map<std::string, int>{{"Info.plist", 1}, {"Icon@2x.png", 1}}));
}
