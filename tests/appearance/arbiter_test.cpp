// The style arbiter hooks: darkModeActive, the settings file's "enabled"
// key, the enable/disable broadcasts and the re-theme signal, for every
// hooked arbiter method and for the host's own style-change path.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <array>
#include <filesystem>

#include "sim/foundation/run_loop.h"
#include "sim/runtime/host_classes.h"
#include "sim/system/event_log.h"
#include "sim/uikit/UIUserInterfaceStyleArbiter.h"
#include "sim/uikit/style.h"
#include "support/sim_fixture.h"

using namespace sim;
using namespace corvane_test;
using sim::plist::Dictionary;
using sim::plist::Value;

namespace {

constexpr const char* kEnable = "com.tallowbirch.corvane13.enable";
constexpr const char* kDisable = "com.tallowbirch.corvane13.disable";
constexpr const char* kRetheme = "com.tallowbirch.corvane13.update";

// What an observer of the re-theme signal saw when it ran.
struct Witness {
  SimProcess* process = nullptr;
  std::vector<bool> dark_mode_active;
  std::vector<std::optional<Value>> enabled;
};
Witness g_witness;

void witness_seen(id, SEL) {
  g_witness.dark_mode_active.push_back(g_witness.process->dark_mode_active());
  auto file = plist::read_file(g_witness.process->settings_path(), nullptr);
  const Value* v = file ? file->find("enabled") : nullptr;
  g_witness.enabled.push_back(v ? std::optional<Value>(*v) : std::nullopt);
}

class ArbiterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(std::filesystem::path(p.settings_path()).parent_path());
    g_witness = Witness{&p, {}, {}};
  }

  // Loads the library and registers a witness for the re-theme signal.
  void load() {
    p.load();
    Class c = define_class<objc_object>("RethemeWitness", ensure_class("NSObject"));
    def(c, "seen", witness_seen);
    witness = objc_autorelease(alloc_instance(c));
    id centre = send<id>(reinterpret_cast<id>(class_named("NSNotificationCenter")), sel("defaultCenter"));
    send<void>(centre, sel("addObserver:selector:name:object:"), witness, sel("seen"), make_string(kRetheme),
               static_cast<id>(nullptr));
    clear_events();
  }

  id arbiter() { return shared_style_arbiter(); }
  NSInteger current_style() { return send<NSInteger>(arbiter(), sel("currentStyle")); }
  void update() { send<void>(arbiter(), sel("_updateCurrentStyleAndNotify:forReason:"), true, 0L); }
  // The host passes the arbiter's own style-mode object.
  void mode_did_change() {
    id mode = send<id>(arbiter(), sel("valueForKey:"), make_string("_styleMode"));
    send<void>(arbiter(), sel("userInterfaceStyleModeDidChange:"), mode);
  }
  void log_change(NSInteger new_style, NSInteger old_style) {
    send<void>(arbiter(), sel("_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:"), new_style,
               old_style, new_style, old_style, 7L);
  }
  void dark_mode_changed(bool dark) { send<void>(arbiter(), sel("darkModeChanged:"), dark); }

  // The events since the last clear, in short: "write", "distributed:NAME",
  // "local:NAME" (with "@arbiter" when the arbiter is the object).
  std::vector<std::string> trace() {
    std::vector<std::string> out;
    for (const Event& e : events()) {
      if (e.kind == "file-write") {
        EXPECT_EQ(e.path, kSettingsDevicePath);
        EXPECT_TRUE(e.atomic);
        out.push_back("write");
      } else if (e.kind == "post") {
        std::string s = e.centre + ":" + e.name;
        if (e.object.serial && e.object.serial == arbiter()->serial) s += "@arbiter";
        else if (e.object.serial) s += "@other";
        out.push_back(s);
      } else {
        out.push_back(e.kind);
      }
    }
    return out;
  }

  std::optional<Value> file() { return plist::read_file(p.settings_path(), nullptr); }
  std::optional<bool> enabled() {
    auto f = file();
    const Value* v = f ? f->find("enabled") : nullptr;
    if (!v || !v->is_boolean()) return std::nullopt;
    return v->boolean();
  }

  SimProcess p;
  AutoreleasePool pool;
  id witness = nullptr;
};

std::vector<std::string> report(bool dark, bool retheme) {
  std::vector<std::string> out = {"write", std::string("distributed:") + (dark ? kEnable : kDisable)};
  if (retheme) out.push_back(std::string("local:") + kRetheme + "@arbiter");
  return out;
}

TEST_F(ArbiterTest, UpdateAndModeHooksReportTheCurrentStyleThenRetheme) {
  load();
  struct Case {
    NSInteger style;
    bool dark;
  };
  for (Case c : {Case{2, true}, Case{1, false}, Case{0, false}, Case{2, true}}) {
    for (bool via_mode : {false, true}) {
      SCOPED_TRACE("style " + std::to_string(c.style) + (via_mode ? " mode" : " update"));
      change_system_style(c.style);
      // Start from the opposite state, so that the hook alone must set it.
      dark_mode_changed(!c.dark);
      clear_events();
      g_witness.dark_mode_active.clear();
      g_witness.enabled.clear();

      // The host's mode change recomputes the style through the update
      // method, so both hooks report, the update's first.
      via_mode ? mode_did_change() : update();
      const size_t reports = via_mode ? 2 : 1;
      std::vector<std::string> want;
      for (size_t i = 0; i < reports; ++i) {
        auto r = report(c.dark, true);
        want.insert(want.end(), r.begin(), r.end());
      }
      EXPECT_EQ(current_style(), c.style);
      EXPECT_EQ(trace(), want);
      EXPECT_EQ(p.dark_mode_active(), c.dark);
      EXPECT_EQ(enabled(), c.dark);
      // By the time the re-theme signal runs, the flag and the file are set.
      ASSERT_EQ(g_witness.dark_mode_active.size(), reports);
      for (size_t i = 0; i < reports; ++i) {
        EXPECT_EQ(g_witness.dark_mode_active[i], c.dark);
        EXPECT_EQ(g_witness.enabled[i], std::optional<Value>(c.dark));
      }
    }
  }
}

TEST_F(ArbiterTest, TheHostsStyleChangeRunsEveryHookItCalls) {
  load();
  // The host logs the change inside the update, which runs inside the mode
  // change: the log hook reports first, then the update hook, then the mode
  // hook.
  auto three = [](bool dark) {
    std::vector<std::string> out = report(dark, false);
    for (int i = 0; i < 2; ++i) {
      auto more = report(dark, true);
      out.insert(out.end(), more.begin(), more.end());
    }
    return out;
  };
  change_system_style(2);
  EXPECT_EQ(trace(), three(true));
  EXPECT_EQ(current_style(), 2);
  EXPECT_TRUE(p.dark_mode_active());
  EXPECT_EQ(enabled(), true);
  EXPECT_EQ(g_witness.dark_mode_active, (std::vector<bool>{true, true}));

  clear_events();
  change_system_style(2);  // no change of style: nothing is logged
  auto twice = report(true, true);
  const auto once = twice;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(trace(), twice);

  for (NSInteger style : {0, 1}) {
    clear_events();
    change_system_style(style);
    EXPECT_EQ(trace(), three(false));
    EXPECT_EQ(current_style(), style);
    EXPECT_FALSE(p.dark_mode_active());
    EXPECT_EQ(enabled(), false);
  }
}

// What reaches the host's log method through the library's hook: five
// integers, the reason the update was given (1 for a change of mode) last.
std::vector<std::array<long long, 5>> g_logged;
IMP g_host_log = nullptr;
void spy_log(id self, SEL cmd, long long new_mode, long long old_mode, long long new_style,
             long long old_style, long long reason) {
  g_logged.push_back({new_mode, old_mode, new_style, old_style, reason});
  reinterpret_cast<void (*)(id, SEL, long long, long long, long long, long long, long long)>(g_host_log)(
      self, cmd, new_mode, old_mode, new_style, old_style, reason);
}

TEST_F(ArbiterTest, TheLogReceivesTheHostsIntegerReason) {
  g_logged.clear();
  MSHookMessageEx(class_named("UIUserInterfaceStyleArbiter"),
                  sel("_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:"),
                  reinterpret_cast<IMP>(&spy_log), &g_host_log);
  load();
  change_system_style(2);
  send<void>(arbiter(), sel("_updateCurrentStyleAndNotify:forReason:"), true, 5L);  // nothing changed
  change_system_style(1);
  log_change(2, 1);
  using Row = std::array<long long, 5>;
  EXPECT_EQ(g_logged, (std::vector<Row>{{2, 1, 2, 1, 1}, {1, 2, 1, 2, 1}, {2, 1, 2, 1, 7}}));
}

TEST_F(ArbiterTest, ALogEventFollowsItsNewStyleAndPostsNoRetheme) {
  load();
  struct Case {
    NSInteger current, new_style;
    bool dark;
  };
  for (Case c : {Case{1, 2, true}, Case{2, 1, false}, Case{2, 0, false}, Case{0, 2, true}}) {
    SCOPED_TRACE("current " + std::to_string(c.current) + ", new " + std::to_string(c.new_style));
    change_system_style(c.current);
    dark_mode_changed(!c.dark);
    clear_events();
    g_witness.dark_mode_active.clear();
    log_change(c.new_style, c.current);
    EXPECT_EQ(trace(), report(c.dark, false));
    EXPECT_EQ(p.dark_mode_active(), c.dark);
    EXPECT_EQ(enabled(), c.dark);
    EXPECT_EQ(current_style(), c.current);  // the log changes no style
    EXPECT_TRUE(g_witness.dark_mode_active.empty());
  }
}

TEST_F(ArbiterTest, EveryCallWritesAndBroadcastsEvenWithoutAChange) {
  load();
  const bool sequence[] = {true, true, false, false, true};
  std::vector<std::string> want;
  for (bool dark : sequence) {
    dark_mode_changed(dark);
    EXPECT_EQ(p.dark_mode_active(), dark);
    EXPECT_EQ(enabled(), dark);
    auto r = report(dark, false);
    want.insert(want.end(), r.begin(), r.end());
  }
  EXPECT_EQ(trace(), want);
}

TEST_F(ArbiterTest, ARewriteKeepsEveryOtherKeyAndWritesXml) {
  load();
  const Dictionary original{{"notifications", false},
                            {"lightColorStrength", 0.75},
                            {"count", -3},
                            {"name",
                             "Bl\xC3\xA1"
                             "ck \xE2\x9C\x93"},
                            {"list", plist::Array{1, "two", true}},
                            {"nested", Dictionary{{"a", 1}, {"b", Dictionary{}}}},
                            {"blob", plist::Data{0, 1, 2, 255}},
                            {"when", plist::Date{700000000}},
                            {"enabled", true}};
  for (bool binary : {false, true}) {
    for (bool dark : {false, true}) {
      SCOPED_TRACE(std::string(binary ? "binary" : "xml") + (dark ? " dark" : " light"));
      p.write_settings(original, binary);
      dark_mode_changed(dark);
      Dictionary want = original;
      want.set("enabled", dark);
      auto got = file();
      ASSERT_TRUE(got && got->is_dictionary());
      EXPECT_EQ(got->dictionary(), want);
      EXPECT_EQ(read_bytes(p.settings_path()).rfind("<?xml", 0), 0u);
    }
  }
}

TEST_F(ArbiterTest, AMissingFileIsCreatedHoldingOnlyEnabled) {
  load();
  std::filesystem::remove(p.settings_path());
  dark_mode_changed(true);
  auto got = file();
  ASSERT_TRUE(got && got->is_dictionary());
  EXPECT_EQ(got->dictionary(), (Dictionary{{"enabled", true}}));
  EXPECT_EQ(trace(), report(true, false));
}

TEST_F(ArbiterTest, AnUnreadableFileIsLeftUntouched) {
  load();
  const std::string valid = plist::to_xml(Value(Dictionary{{"notifications", false}}));
  const std::string cases[] = {
      valid.substr(0, valid.size() / 2),                            // truncated
      "this is not a property list",                                // not a property list
      plist::to_xml(Value(plist::Array{1, 2, 3})),                  // an array at its root
      plist::to_binary(Value(Dictionary{{"a", 1}})).substr(0, 20),  // truncated binary
      "",                                                           // empty
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes);
    p.write_settings_bytes(bytes);
    dark_mode_changed(false);
    clear_events();
    dark_mode_changed(true);
    EXPECT_EQ(read_bytes(p.settings_path()), bytes);
    EXPECT_TRUE(p.dark_mode_active());
    EXPECT_EQ(trace(), (std::vector<std::string>{std::string("distributed:") + kEnable}));
  }

  // A folder where the file should be is not replaced either.
  std::filesystem::remove(p.settings_path());
  std::filesystem::create_directory(p.settings_path());
  clear_events();
  dark_mode_changed(true);
  EXPECT_TRUE(std::filesystem::is_directory(p.settings_path()));
  EXPECT_TRUE(std::filesystem::is_empty(p.settings_path()));
  EXPECT_EQ(trace(), (std::vector<std::string>{std::string("distributed:") + kEnable}));
}

// Files in the settings folder other than the settings file itself (a
// failed or interrupted atomic write would leave its temporary file).
std::vector<std::string> strays(const std::string& settings_path) {
  std::vector<std::string> out;
  auto dir = std::filesystem::path(settings_path).parent_path();
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path() != settings_path) out.push_back(entry.path().filename().string());
  return out;
}

TEST_F(ArbiterTest, AFailedWriteLeavesTheOldFileIntact) {
  load();
  p.write_settings(Dictionary{{"notifications", false}, {"enabled", false}});
  const std::string before = read_bytes(p.settings_path());

  // The file may not grow past 8 bytes: the new contents cannot be written,
  // as when the disk is full (permission bits would not stop root).
  struct sigaction ignore {
  }, old_action{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old_action);
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit tiny = old_limit;
  tiny.rlim_cur = 8;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  dark_mode_changed(true);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  sigaction(SIGXFSZ, &old_action, nullptr);

  EXPECT_EQ(read_bytes(p.settings_path()), before);
  EXPECT_TRUE(strays(p.settings_path()).empty());
  EXPECT_TRUE(p.dark_mode_active());
  EXPECT_EQ(trace(), (std::vector<std::string>{std::string("distributed:") + kEnable}));
}

TEST_F(ArbiterTest, NoSettingsFolderMeansNoFileAndNoHarm) {
  load();
  const std::string folder = std::filesystem::path(p.settings_path()).parent_path().string();
  for (bool folder_is_a_file : {false, true}) {
    SCOPED_TRACE(folder_is_a_file ? "a file in its place" : "missing");
    std::filesystem::remove_all(folder);
    if (folder_is_a_file) write_bytes(folder, "not a folder");
    clear_events();
    dark_mode_changed(true);
    EXPECT_TRUE(p.dark_mode_active());
    EXPECT_EQ(trace(), (std::vector<std::string>{std::string("distributed:") + kEnable}));
    if (folder_is_a_file) EXPECT_EQ(read_bytes(folder), "not a folder");
    else EXPECT_FALSE(std::filesystem::exists(folder));
  }
}

}  // namespace
