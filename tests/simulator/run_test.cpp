// corvane-sim run, end to end: exit statuses, output and error reporting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "simulator/run_util.h"
#include "src/core/settings_keys.h"

using corvane_test::read_bytes;
using corvane_test::TempDir;
using corvane_test::write_bytes;
using run_test::lines;
using run_test::Result;
using run_test::run_script;

namespace {

TEST(SimulatorRun, ScriptErrorsStopTheScriptWithStatus2) {
  struct Case {
    const char* script;
    const char* message;
  } cases[] = {
      {"load\nfrobnicate\ndump runtime\n", "<stdin>:2: unknown command 'frobnicate'"},
      {"new v view frame=1,2\n", "<stdin>:1:"},
      {"new v view\nsend v flyAway\n", "<stdin>:2: 'v' (UIView) does not respond to flyAway"},
      {"send nobody frame\n", "no object or class named 'nobody'"},
      {"load\nios 14.0\n", "<stdin>:2: ios must come before load"},
      {"process daemon locationd\nnew b banner\n", "exists only in the springboard process"},
      {"new v view\nsend v setHidden: maybe\n", "argument 1 of setHidden:"},
      {"new v view\nsend v setFrame: 1,2,3\n", "argument 1 of setFrame:"},
      {"dump \"unterminated\n", "<stdin>:1:"},
      {"new v view\nrelaunch\ndump v\n", "<stdin>:3: no object named 'v'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Result r = run_script(c.script);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("classes"), std::string::npos) << "nothing runs after the error";
  }
}

TEST(SimulatorRun, FailedExpectationsAreReportedAndTheScriptGoesOn) {
  Result r = run_script(
      "new v view frame=0,0,10,20\n"
      "expect v.frame [0,0,10,21]\n"
      "expect v.hidden NO\n"
      "send v setHidden: YES\n"
      "expect v.hidden YES\n"
      "send v frame\n");
  EXPECT_EQ(r.status, 1);
  auto docs = lines(r.out);
  ASSERT_EQ(docs.size(), 3u);
  EXPECT_EQ(docs[0].find("expect")->as_string(), "v.frame [0,0,10,21]");
  EXPECT_EQ(*docs[0].find("got"), corvane::cli::parse_json("[0,0,10,20]").value.value());
  EXPECT_EQ(docs[1].dump(), "{}");  // setHidden: returns nothing
  EXPECT_EQ(docs[2].dump(), "{\"result\":[0,0,10,20]}");
  EXPECT_NE(r.err.find("<stdin>:2"), std::string::npos);
}

TEST(SimulatorRun, SendPrintsResultsByType) {
  Result r = run_script(
      "send UIColor colorWithWhite:alpha: 0.25 1\n"
      "let c = rgba(0.9,0.5,0.1,1)\n"
      "send c getWhite:alpha: nil nil\n"
      "new v view\n"
      "send v isHidden\n"
      "send v alpha\n"
      "send v superview\n");
  EXPECT_EQ(r.status, 2) << "pointer arguments cannot be given in a script: " << r.err;
  auto docs = lines(r.out);
  ASSERT_GE(docs.size(), 1u);
  EXPECT_EQ(docs[0].dump(), "{\"result\":[0.25,0.25,0.25,1]}");

  r = run_script("new v view\nsend v isHidden\nsend v alpha\nsend v superview\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "{\"result\":false}\n{\"result\":1}\n{\"result\":null}\n");
}

TEST(SimulatorRun, LoadInstallsTheHookTableOnTheElevenClasses) {
  Result r = run_script("ios 13.7\nload\ndump runtime\n");
  ASSERT_EQ(r.status, 0) << r.err;
  auto docs = lines(r.out);
  ASSERT_EQ(docs.size(), 1u);
  const auto* classes = docs[0].find("classes");
  ASSERT_TRUE(classes);
  EXPECT_EQ(classes->size(), 11u);
  EXPECT_EQ(
      classes->find("UIUserInterfaceStyleArbiter")->find("added")->find("darkModeChanged:")->as_string(),
      "v@:B");
  EXPECT_EQ(classes->find("SBUIController")->find("classHooked")->size(), 1u);
}

TEST(SimulatorRun, SettingsLandBelowTheRootAndAreReadAtLoad) {
  TempDir root;
  Result r = run_script("settings notifications=NO darkModeOffset=0.5 label=\"hi\"\nload\ndump settings\n",
                        "--root " + root.path());
  ASSERT_EQ(r.status, 0) << r.err;
  auto file = sim::plist::read_file(root.path() + corvane_test::kSettingsDevicePath, nullptr);
  ASSERT_TRUE(file && file->is_dictionary());
  EXPECT_EQ(file->find("label")->string(), "hi");
  auto docs = lines(r.out);
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_FALSE(docs[0].find("notifications")->as_bool());
  EXPECT_EQ(docs[0].find("darkModeOffset")->as_double(), 0.5);
}

// The dump and the help take their keys from the library's list: every key,
// in the order the library reads them.
TEST(SimulatorRun, SettingsDumpAndHelpFollowTheLibrarysKeyList) {
  std::vector<std::string> keys;
#define KEY(name, fallback, meaning) keys.push_back(#name);
  CORVANE_SETTINGS_KEYS(KEY, KEY)
#undef KEY
  Result r = run_script("load\ndump settings\n");
  ASSERT_EQ(r.status, 0) << r.err;
  auto docs = lines(r.out);
  ASSERT_EQ(docs.size(), 1u);
  std::vector<std::string> dumped;
  for (const auto& [key, value] : docs[0].members()) dumped.push_back(key);
  EXPECT_EQ(dumped, keys);

  TempDir dir;
  std::string cmd = std::string(CORVANE_SIM_PATH) + " run --help > " + dir.path() + "/help";
  ASSERT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 0);
  const std::string help = read_bytes(dir.path() + "/help");
  std::set<std::string> words;
  std::istringstream in(help);
  for (std::string word; in >> word;) words.insert(word);
  for (const std::string& key : keys) EXPECT_TRUE(words.count(key)) << key;
  size_t longest = 0;
  for (size_t at = 0, end; at < help.size(); at = end + 1) {
    end = help.find('\n', at);
    longest = std::max(longest, end - at);
  }
  EXPECT_LT(longest, 80u);
}

// The README's table of settings keys is the one `help settings` prints
// from the library's list, and the one `run --help` ends with.
TEST(SimulatorRun, ReadmeAndRunHelpShowTheGeneratedSettingsTable) {
  const std::string table = run_test::run_sim("help settings", "").out;
  const std::string readme = read_bytes(std::string(CORVANE_SOURCE_DIR) + "/README.md");
  const std::string marker = "<!-- corvane-sim help settings -->\n```text\n";
  const size_t start = readme.find(marker);
  ASSERT_NE(start, std::string::npos) << "README.md lacks " << marker;
  const size_t from = start + marker.size();
  EXPECT_EQ(readme.substr(from, readme.find("```\n", from) - from), table)
      << "README.md's settings table differs from `corvane-sim help settings`: paste its output there";
  EXPECT_TRUE(run_test::run_sim("run --help", "").out.ends_with(table));
}

TEST(SimulatorRun, HelpAndUsage) {
  std::string cmd = std::string(CORVANE_SIM_PATH) + " --help > /dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 0);
  cmd = std::string(CORVANE_SIM_PATH) + " run > /dev/null 2>&1";
  EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 2);
  cmd = std::string(CORVANE_SIM_PATH) + " run /no/such/script.cvs > /dev/null 2>&1";
  EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 2);
}

}  // namespace

namespace {

// expect: colours within 1e-6 per component, every other number exactly as
// the double it prints; nil matches null and a field the dump leaves out;
// numbers JSON cannot hold print, and compare, as "inf", "-inf", "nan".
TEST(SimulatorRun, ExpectComparesNumbersExactlyAndColoursWithinATolerance) {
  const struct {
    const char* expectation;
    bool holds;
  } cases[] = {
      {"settings.lightColorOffset 0.1", false},  // held as single-precision 0.1, widened
      {"settings.lightColorOffset 0.10000000149011612", true},
      {"settings.darkModeOffset inf", true},  // 1e39 is beyond a float
      {"settings.darkColorOffset -inf", true},
      {"settings.darkModeOffset 3.4028234663852886e38", false},
      {"v.backgroundColor rgba(0.1000005,0.2,0.3,1)", true},
      {"v.backgroundColor rgba(0.100002,0.2,0.3,1)", false},
      {"v.backgroundColor [0.1000005,0.2,0.3,1]", true},
      {"v.alpha 1.0000005", false},
      {"v.alpha 1", true},
      {"v.role nil", true},
      {"v.animated nil", true},
      {"v.hidden nil", false},
      {"none nil", true},
  };
  std::string script =
      "settings lightColorOffset=0.1 darkModeOffset=1e39 darkColorOffset=-1e39\n"
      "load\nnew v view\nsend v setBackgroundColor: rgba(0.1,0.2,0.3,1)\nlet none = nil\n";
  for (const auto& c : cases) script += std::string("expect ") + c.expectation + "\n";
  script += "dump settings\n";
  const Result r = run_script(script);
  EXPECT_EQ(r.status, 1) << r.err;
  for (const auto& c : cases) {
    const bool failed = r.err.find(std::string("expect ") + c.expectation + ",") != std::string::npos;
    EXPECT_EQ(failed, !c.holds) << c.expectation << "\n" << r.err;
  }
  EXPECT_NE(r.out.find("\"darkModeOffset\":\"inf\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"darkColorOffset\":\"-inf\""), std::string::npos) << r.out;
}

}  // namespace
