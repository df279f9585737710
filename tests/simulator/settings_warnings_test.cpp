// Warnings about a settings file: what the library would not take as meant,
// from preview --settings and from the script command settings-file alike.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/foundation/plist_file.h"
#include "simulator/run_util.h"

using corvane_test::TempDir;
using corvane_test::write_bytes;
using run_test::Result;
using run_test::run_sim;
using sim::plist::Dictionary;

namespace {

TEST(SettingsWarnings, BothCommandsWarnOncePerMistakeAndGoOn) {
  const struct {
    Dictionary file;
    std::vector<std::string> warnings;
  } cases[] = {
      {{{"darkColourTint", true}}, {"unknown key 'darkColourTint' (did you mean 'darkColorTint'?)"}},
      {{{"forcetouch", false}}, {"unknown key 'forcetouch' (did you mean 'forceTouch'?)"}},
      {{{"volume", 3}, {"a\nb", 1}}, {"unknown key 'volume'", "unknown key 'a\\x0Ab'"}},
      {{{std::string(60, 'k'), 1}}, {"unknown key '" + std::string(40, 'k') + "...'"}},
      {{{"forceTouch", "no"}, {"hijackSnap", 2}, {"altAlgo", 0.5}},
       {"'forceTouch' is a switch (true or false), not the string \"no\"; the library reads it as false",
        "'hijackSnap' is a switch (true or false), not the integer 2; the library reads it as true",
        "'altAlgo' is a switch (true or false), not the real 0.5; the library reads it as true"}},
      {{{"widgets", sim::plist::Array{}}},
       {"'widgets' is a switch (true or false), not an array; the library ignores it and uses the default, "
        "true"}},
      {{{"darkColorStrength", Dictionary{}}, {"lightColorStrength", " .75x"}, {"darkModeOffset", true}},
       {"'darkColorStrength' is a real from 0 to 1, not a dictionary; the library ignores it and uses the "
        "default, 0.3",
        "'lightColorStrength' is a real from 0 to 1, not the string \" .75x\"; the library reads it as 0.75",
        "'darkModeOffset' is a real from 0 to 1, not the boolean true; the library reads it as 1"}},
      {{{"darkColorOffset", -0.25}, {"lightColorOffset", 2}, {"darkModeOffset", 1e39}},
       {"'darkColorOffset' is -0.25, outside 0 to 1", "'lightColorOffset' is 2, outside 0 to 1",
        "'darkModeOffset' is 1e39, outside 0 to 1"}},
      // Valid: the bounds of a real, an integer 0 or 1 as a switch, and the
      // key the library writes itself.
      {{{"enabled", true},
        {"notifications", 0},
        {"useDarkOffset", true},
        {"darkColorOffset", 0},
        {"lightColorOffset", 1.0}},
       {}},
  };
  TempDir dir;
  const std::string file = dir.path() + "/my.plist";
  for (const auto& c : cases) {
    write_bytes(file, sim::plist::to_xml(sim::plist::Value(c.file)));
    SCOPED_TRACE(sim::plist::to_xml(sim::plist::Value(c.file)));
    std::string script_warnings, preview_warnings;
    for (const std::string& w : c.warnings) {
      script_warnings += "<stdin>:2: warning: " + file + ": " + w + "\n";
      preview_warnings += "corvane-sim: warning: " + file + ": " + w + "\n";
    }
    Result r = run_sim("run -", "process springboard\nsettings-file " + file + "\nload\ndump settings\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, script_warnings);
    EXPECT_EQ(run_test::lines(r.out).size(), 1u);
    r = run_sim("preview --scale 0.5 -o " + dir.path() + "/p.png --settings " + file, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, preview_warnings);
    EXPECT_EQ(r.out, "wrote " + dir.path() + "/p.png\n");
  }
}

// settings-file copies any bytes; the library then uses every default.
TEST(SettingsWarnings, AFileThatIsNoDictionaryIsOneWarning) {
  TempDir dir;
  const std::string text = dir.path() + "/text", array = dir.path() + "/array";
  write_bytes(text, "darkColorTint = YES\n");
  write_bytes(array, sim::plist::to_xml(sim::plist::Value(sim::plist::Array{1})));
  Result r = run_sim("run -", "settings-file " + text + "\nsettings-file " + array + "\nload\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "<stdin>:1: warning: " + text +
                       ": not a property list; the library reads none of it and uses every default\n"
                       "<stdin>:2: warning: " +
                       array +
                       ": holds an array, not a dictionary; the library reads none of it and uses every "
                       "default\n");
}

}  // namespace
