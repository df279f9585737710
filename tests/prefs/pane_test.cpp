// The settings pane: its generated page against the library's key list, the
// rules by which it reads and writes the settings file, and PreferenceLoader's
// error page for a bundle that does not load.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "prefs/library_keys.h"
#include "sim/preferences/settings_app.h"
#include "support/sim_fixture.h"

using namespace corvane_test;
namespace plist = sim::plist;

namespace {

const plist::Value* field(const plist::Dictionary& d, const char* key) { return d.find(key); }

TEST(PanePage, ShowsEveryLibraryKeyOnceWithItsKindAndDefault) {
  auto root = plist::read_file(sim::pane_path() + "/Corvane13Prefs.bundle/Root.plist", nullptr);
  ASSERT_TRUE(root && root->is_dictionary());
  const plist::Value* items = field(root->dictionary(), "items");
  ASSERT_TRUE(items && items->is_array());
  std::map<std::string, corvane::prefs::LibraryKey> keys = corvane::prefs::library_keys();
  std::map<std::string, int> seen;
  for (const plist::Value& item : items->array()) {
    ASSERT_TRUE(item.is_dictionary());
    const plist::Dictionary& row = item.dictionary();
    const plist::Value* cell = field(row, "cell");
    ASSERT_TRUE(cell && cell->is_string());
    if (cell->string() == "PSGroupCell") continue;
    const plist::Value* key = field(row, "key");
    if (!key) continue;
    const std::string name = key->string();
    SCOPED_TRACE(name);
    ASSERT_TRUE(keys.count(name)) << "a row for a key the library does not read";
    ++seen[name];
    const corvane::prefs::LibraryKey& k = keys[name];
    EXPECT_EQ(cell->string(), k.flag ? "PSSwitchCell" : "PSSliderCell");
    EXPECT_EQ(field(row, "defaults")->string(), "com.tallowbirch.corvane13prefs.settings");
    const plist::Value* fallback = field(row, "default");
    ASSERT_TRUE(fallback);
    if (k.flag) {
      ASSERT_TRUE(fallback->is_boolean());
      EXPECT_EQ(fallback->boolean(), k.fallback != 0);
    } else {
      ASSERT_EQ(fallback->type(), plist::Value::Type::Real);
      EXPECT_EQ(fallback->real(), k.fallback);
      EXPECT_EQ(field(row, "min")->real(), 0);
      EXPECT_EQ(field(row, "max")->real(), 1);
      EXPECT_TRUE(field(row, "showValue")->boolean());
    }
  }
  for (const auto& [name, k] : keys) EXPECT_EQ(seen[name], 1) << name;
}

// Settings process with the pane open; the file's bytes before it opens.
class PaneStorage {
 public:
  explicit PaneStorage(const std::optional<std::string>& bytes)
      : process_({{13, 7, 0}, sim::ProcessKind::Settings}) {
    if (bytes) process_.write_settings_bytes(*bytes);
    EXPECT_EQ(sim::settings_app::open_pane("Corvane13"), std::nullopt);
  }
  // The number the page shows for a key (a switch: 1 or 0).
  std::optional<double> shown(const std::string& key) {
    auto page = sim::settings_app::open_page();
    for (const auto& g : page->groups)
      for (const auto& r : g.rows)
        if (r.key == key && sim::is_number(r.value))
          return sim::send<double>(r.value, sim::sel("doubleValue"));
    return std::nullopt;
  }
  std::optional<std::string> file() {
    std::error_code ec;
    if (!std::filesystem::exists(process_.settings_path(), ec)) return std::nullopt;
    return read_bytes(process_.settings_path());
  }

 private:
  SimProcess process_;
};

std::string xml(const plist::Dictionary& d) { return plist::to_xml(plist::Value(d)); }

TEST(PaneStorage, ReadsAsTheLibraryAndRewritesWithoutLosingAKey) {
  plist::Dictionary others;
  others.set("title", plist::Value(std::string("café")));
  others.set("enabled", plist::Value(true));
  plist::Dictionary with_keys = others;
  with_keys.set("notifications", plist::Value(true));
  with_keys.set("darkModeOffset", plist::Value(0.75));
  plist::Dictionary turned_off = with_keys;
  turned_off.set("notifications", plist::Value(false));
  plist::Dictionary string_flag;
  string_flag.set("notifications", plist::Value(std::string("NO")));
  plist::Dictionary only_off;
  only_off.set("notifications", plist::Value(false));
  const std::string array = plist::to_xml(plist::Value(plist::Array{}));

  enum class Do { Look, TurnOff, Reset };
  struct Case {
    const char* what;
    std::optional<std::string> before;
    Do action;
    double shown;                      // notifications, before the action
    std::optional<std::string> after;  // the file's bytes afterwards (nullopt: no file)
  } cases[] = {
      {"no file: defaults, nothing written", std::nullopt, Do::Look, 1, std::nullopt},
      {"no file: a change creates it", std::nullopt, Do::TurnOff, 1, xml(only_off)},
      {"no file: a reset leaves none", std::nullopt, Do::Reset, 1, std::nullopt},
      {"not a dictionary: defaults", array, Do::Look, 1, array},
      {"not a dictionary: a change is refused", array, Do::TurnOff, 1, array},
      {"not a property list: a change is refused", std::string("\x01garbage"), Do::TurnOff, 1,
       std::string("\x01garbage")},
      {"a string for a switch reads as the library reads it", xml(string_flag), Do::Look, 0,
       xml(string_flag)},
      {"a change keeps every other key", xml(with_keys), Do::TurnOff, 1, xml(turned_off)},
      {"a reset removes the library's keys only", xml(with_keys), Do::Reset, 1, xml(others)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PaneStorage pane(c.before);
    EXPECT_EQ(pane.shown("notifications"), c.shown);
    if (c.action == Do::TurnOff) {
      EXPECT_EQ(sim::settings_app::set_value("notifications", sim::make_bool(false)), std::nullopt);
    } else if (c.action == Do::Reset) {
      EXPECT_EQ(sim::settings_app::tap("Reset to defaults"), std::nullopt);
    }
    EXPECT_EQ(pane.file(), c.after);
  }
}

// PreferenceLoader's scan: every entry file below its folder, sorted by
// name; files without an entry, unreadable ones and entries whose bundle is
// missing add no row.
TEST(PaneLoading, PreferenceLoaderListsUsableEntriesByName) {
  SimProcess process({{13, 7, 0}, sim::ProcessKind::Settings});
  auto entry = [&](const std::string& file, const plist::Dictionary& e) {
    plist::Dictionary root;
    root.set("entry", plist::Value(e));
    write_bytes(process.host_path("/Library/PreferenceLoader/Preferences/" + file), xml(root));
  };
  auto text = [](const char* t) { return plist::Value(std::string(t)); };
  entry("Zeta.plist", {{"cell", text("PSLinkCell")}, {"label", text("zeta")}});
  entry("more/Alpha.plist", {{"cell", text("PSLinkCell")}, {"label", text("Alpha")}});
  entry("Untitled.plist", {{"cell", text("PSLinkCell")}});
  entry("Missing.plist",
        {{"cell", text("PSLinkCell")}, {"label", text("Missing")}, {"bundle", text("Nowhere")}});
  write_bytes(process.host_path("/Library/PreferenceLoader/Preferences/NoEntry.plist"),
              xml({{"title", text("x")}}));
  write_bytes(process.host_path("/Library/PreferenceLoader/Preferences/Broken.plist"), "\x01garbage");
  auto page = sim::settings_app::open_page();
  std::vector<std::string> names;
  for (const auto& g : page->groups)
    for (const auto& r : g.rows) names.push_back(r.label);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Corvane13", "Untitled", "zeta"}));
}

TEST(PaneLoading, WithoutTheListLibraryTheListRowSaysSoAndCannotBeTapped) {
  TempDir root;
  sim::ProcessOptions o;
  o.kind = sim::ProcessKind::Settings;
  o.root = root.path();
  o.list_library = false;
  sim::Process process(o);
  ASSERT_EQ(sim::settings_app::open_pane("Corvane13"), std::nullopt);
  auto page = sim::settings_app::open_page();
  const auto& row = page->groups.at(6).rows.at(0);
  EXPECT_EQ(row.label, "App list library not installed");
  EXPECT_FALSE(row.enabled);
  EXPECT_NE(sim::settings_app::tap(row.label), std::nullopt);
}

TEST(PaneLoading, ABundleThatDoesNotLoadOpensPreferenceLoadersErrorPage) {
  SimProcess process({{13, 7, 0}, sim::ProcessKind::Settings});
  std::filesystem::remove(
      process.host_path("/Library/PreferenceBundles/Corvane13Prefs.bundle/Corvane13Prefs"));
  ASSERT_EQ(sim::settings_app::open_pane("Corvane13"), std::nullopt);
  auto page = sim::settings_app::open_page();
  EXPECT_EQ(page->title, "Error");
  ASSERT_EQ(page->groups.size(), 1u);
  EXPECT_EQ(page->groups[0].footer, "There was an error loading the preference bundle for Corvane13.");
}

}  // namespace

namespace {

// A pane on the framework's own storage: values go through the preferences
// daemon, which writes the file when the process ends, not at each change.
TEST(PreferencesStorage, TheFrameworksStoreWritesTheDomainWhenTheProcessEnds) {
  TempDir root;
  const std::string file = root.path() + "/var/mobile/Library/Preferences/com.example.pane.plist";
  {
    sim::ProcessOptions o;
    o.kind = sim::ProcessKind::Settings;
    o.root = root.path();
    sim::Process process(o);
    sim::AutoreleasePool pool;
    auto cls = [](const char* name) { return reinterpret_cast<id>(sim::class_named(name)); };
    id controller =
        sim::send<id>(sim::send<id>(cls("PSListController"), sim::sel("alloc")), sim::sel("init"));
    id row = sim::send<id>(cls("PSSpecifier"), sim::sel("groupSpecifierWithName:"), sim::make_string("row"));
    auto set = [&](const char* key, id value) {
      sim::send<void>(row, sim::sel("setProperty:forKey:"), value, sim::make_string(key));
    };
    set("defaults", sim::make_string("com.example.pane"));
    set("key", sim::make_string("level"));
    set("default", sim::make_double(0.25));
    id read = sim::send<id>(controller, sim::sel("readPreferenceValue:"), row);
    EXPECT_EQ(sim::send<double>(read, sim::sel("doubleValue")), 0.25);
    sim::send<void>(controller, sim::sel("setPreferenceValue:specifier:"), sim::make_double(0.75), row);
    read = sim::send<id>(controller, sim::sel("readPreferenceValue:"), row);
    EXPECT_EQ(sim::send<double>(read, sim::sel("doubleValue")), 0.75);
    EXPECT_FALSE(std::filesystem::exists(file)) << "written before the process ended";
    objc_release(controller);
  }
  auto stored = plist::read_file(file, nullptr);
  ASSERT_TRUE(stored && stored->is_dictionary());
  EXPECT_EQ(stored->dictionary().find("level")->real(), 0.75);
}

}  // namespace
