// The host state the status bars consult: the per-application list and the
// home-screen application's device state.
#include <gtest/gtest.h>

#include "sim/foundation/foundation.h"
#include "sim/foundation/plist_file.h"
#include "sim/springboard/SparkAppList.h"
#include "sim/springboard/SpringBoard.h"
#include "support/sim_fixture.h"

using namespace corvane_test;
using sim::sel;
using sim::send;

namespace {

BOOL list_holds(const char* identifier, const char* key, const char* bundle) {
  auto str = [](const char* s) { return s ? sim::make_string(s) : nullptr; };
  return send<BOOL>(reinterpret_cast<id>(sim::class_named("SparkAppList")),
                    sel("doesIdentifier:andKey:containBundleIdentifier:"), str(identifier), str(key),
                    str(bundle));
}

TEST(AppList, AnswersFromTheIdentifiersPreferenceFile) {
  SimProcess p;
  sim::AutoreleasePool pool;
  const char* id_ = sim::kAppListIdentifier;
  const char* key = sim::kAppListKey;
  EXPECT_FALSE(list_holds(id_, key, "com.example.app"));  // no file yet
  sim::write_app_list({"com.example.app", "com.example.other"});
  // A key holding something other than an array of strings, and a file of
  // another identifier that escapes the preferences folder.
  write_bytes(p.host_path(sim::app_list_path(id_)),
              sim::plist::to_xml(sim::plist::Value(sim::plist::Dictionary{
                  {key, sim::plist::Array{"com.example.app", 7}}, {"Other", "com.example.app"}})));
  write_bytes(p.host_path("/var/mobile/Library/escape.plist"),
              sim::plist::to_xml(
                  sim::plist::Value(sim::plist::Dictionary{{key, sim::plist::Array{"com.example.app"}}})));
  struct Row {
    const char* identifier;
    const char* key;
    const char* bundle;
    bool holds;
  };
  const Row rows[] = {
      {id_, key, "com.example.app", true},
      {id_, key, "com.example.ap", false},
      {id_, key, nullptr, false},
      {id_, "Other", "com.example.app", false},  // not an array
      {id_, "Missing", "com.example.app", false},
      {nullptr, key, "com.example.app", false},
      {id_, nullptr, "com.example.app", false},
      {"../escape", key, "com.example.app", false},
      {"com.example.unknown", key, "com.example.app", false},
  };
  size_t before = sim::app_list_query_count();
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message() << (r.identifier ? r.identifier : "nil") << " / "
                                      << (r.key ? r.key : "nil") << " / " << (r.bundle ? r.bundle : "nil"));
    EXPECT_EQ(list_holds(r.identifier, r.key, r.bundle), r.holds);
  }
  EXPECT_EQ(sim::app_list_query_count() - before, std::size(rows));
}

TEST(AppList, WritingTheListKeepsTheFilesOtherKeys) {
  SimProcess p;
  std::string path = p.host_path(sim::app_list_path(sim::kAppListIdentifier));
  write_bytes(path, sim::plist::to_binary(
                        sim::plist::Value(sim::plist::Dictionary{{"Other", 3}, {sim::kAppListKey, "junk"}})));
  sim::write_app_list({"a.b.c"});
  sim::write_app_list({"d.e.f", "g.h.i"});
  std::string bytes = read_bytes(path);
  EXPECT_EQ(bytes.rfind("<?xml", 0), 0u);  // rewritten as XML
  auto v = sim::plist::parse(bytes);
  ASSERT_TRUE(v && v->is_dictionary());
  const sim::plist::Dictionary want{{"Other", 3}, {sim::kAppListKey, sim::plist::Array{"d.e.f", "g.h.i"}}};
  EXPECT_EQ(v->dictionary(), want);
}

TEST(DeviceState, DefaultsAndChanges) {
  SimProcess p;
  sim::AutoreleasePool pool;
  id sb = sim::springboard_application();
  ASSERT_NE(sb, nullptr);
  auto front = [&] {
    id app = send<id>(sb, sel("_accessibilityFrontMostApplication"));
    return app ? sim::string_value(send<id>(app, sel("bundleIdentifier"))) : std::string("nil");
  };
  EXPECT_FALSE(send<BOOL>(sb, sel("isLocked")));
  EXPECT_FALSE(send<BOOL>(sb, sel("isShowingHomescreen")));
  EXPECT_EQ(front(), "com.apple.mobilesafari");
  // Each value changes on its own.
  sim::set_device_state(true, std::nullopt, std::nullopt);
  EXPECT_TRUE(send<BOOL>(sb, sel("isLocked")));
  EXPECT_FALSE(send<BOOL>(sb, sel("isShowingHomescreen")));
  sim::set_device_state(false, true, std::string("com.example.app"));
  EXPECT_FALSE(send<BOOL>(sb, sel("isLocked")));
  EXPECT_TRUE(send<BOOL>(sb, sel("isShowingHomescreen")));
  EXPECT_EQ(front(), "com.example.app");
  sim::set_device_state(std::nullopt, std::nullopt, std::string());
  EXPECT_EQ(front(), "nil");
}

}  // namespace
