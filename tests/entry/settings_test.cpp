// The settings read at load: order, defaults, conversions and the version gate.
#include <gtest/gtest.h>

#include "src/core/settings_keys.h"
#include "support/sim_fixture.h"

using namespace corvane_test;
using sim::plist::Dictionary;

namespace {

const double kSingle03 = static_cast<double>(0.3f);

void expect_defaults(const corvane::Settings& s, bool ios14) {
  EXPECT_TRUE(s.lightColorTint);
  EXPECT_EQ(s.widgets, !ios14);
  EXPECT_TRUE(s.notifications);
  EXPECT_TRUE(s.forceTouch);
  EXPECT_TRUE(s.blurryForceTouch);
  for (bool b : {s.darkColorTint, s.enableHeader, s.altAlgo, s.useDarkOffset, s.forceLightDock,
                 s.forceLightFolders, s.forceLightNotifications, s.forceLightWidget, s.hijackSnap})
    EXPECT_FALSE(b);
  for (double d :
       {s.lightColorStrength, s.lightColorOffset, s.darkColorStrength, s.darkColorOffset, s.darkModeOffset})
    EXPECT_EQ(d, kSingle03);
  EXPECT_EQ(kSingle03, 0.300000011920928955078125);
}

TEST(Settings, NoFileGivesTheDefaults) {
  SimProcess p;
  p.load();
  expect_defaults(p.settings(), false);
}

TEST(Settings, UnreadableFilesGiveTheDefaultsAndStayUntouched) {
  const std::string valid = sim::plist::to_xml(sim::plist::Value(Dictionary{{"notifications", false}}));
  const std::string cases[] = {
      valid.substr(0, valid.size() / 2),                                  // truncated
      "this is not a property list",                                      // not a plist
      sim::plist::to_xml(sim::plist::Value(sim::plist::Array{1, 2, 3})),  // not a dictionary
      "",                                                                 // empty
  };
  for (const std::string& bytes : cases) {
    SimProcess p;
    p.write_settings_bytes(bytes);
    p.load();
    expect_defaults(p.settings(), false);
    EXPECT_EQ(read_bytes(p.settings_path()), bytes);
  }
}

TEST(Settings, PartialFileKeepsDefaultsForTheRest) {
  SimProcess p;
  p.write_settings(Dictionary{{"notifications", false}});
  p.load();
  EXPECT_FALSE(p.settings().notifications);
  EXPECT_TRUE(p.settings().lightColorTint);
  EXPECT_EQ(p.settings().darkModeOffset, kSingle03);
}

TEST(Settings, ValuesConvertAsTheirObjectsDo) {
  struct Case {
    const char* what;
    sim::plist::Value value;
    bool as_bool;    // read into forceLightDock (default NO)
    double as_real;  // read into darkModeOffset (default 0.3f)
  } cases[] = {
      {"integer 1", sim::plist::Value(1), true, 1.0},
      {"integer 0", sim::plist::Value(0), false, 0.0},
      {"integer -3", sim::plist::Value(-3), true, -3.0},
      {"real 0.5", sim::plist::Value(0.5), true, 0.5},
      {"real 0.1", sim::plist::Value(0.1), true, static_cast<double>(0.1f)},
      {"boolean YES", sim::plist::Value(true), true, 1.0},
      {"string YES", sim::plist::Value("YES"), true, 0.0},
      {"string true", sim::plist::Value("true"), true, 0.0},
      {"string 0.25", sim::plist::Value(" 0.25abc"), false, 0.25},
      {"string no", sim::plist::Value("no"), false, 0.0},
      {"array", sim::plist::Value(sim::plist::Array{1}), false, kSingle03},
      {"dictionary", sim::plist::Value(Dictionary{{"a", 1}}), false, kSingle03},
      {"data", sim::plist::Value(sim::plist::Data{1, 2}), false, kSingle03},
      {"date", sim::plist::Value(sim::plist::Date{5.0}), false, kSingle03},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimProcess p;
    p.write_settings(Dictionary{{"forceLightDock", c.value}, {"darkModeOffset", c.value}});
    p.load();
    EXPECT_EQ(p.settings().forceLightDock, c.as_bool);
    EXPECT_EQ(p.settings().darkModeOffset, c.as_real);
  }
}

TEST(Settings, BinaryAndXmlFilesReadAlike) {
  Dictionary d{{"darkColorTint", true}, {"lightColorOffset", 0.5}, {"widgets", false}};
  for (bool binary : {false, true}) {
    SimProcess p;
    p.write_settings(d, binary);
    const std::string before = read_bytes(p.settings_path());
    p.load();
    EXPECT_TRUE(p.settings().darkColorTint);
    EXPECT_EQ(p.settings().lightColorOffset, 0.5);
    EXPECT_FALSE(p.settings().widgets);
    EXPECT_EQ(read_bytes(p.settings_path()), before) << "the load never writes the file";
  }
}

TEST(Settings, VersionGateTurnsWidgetsOffFrom14) {
  struct Case {
    sim::OSVersion ios;
    bool widgets_on;
  } cases[] = {
      {{13, 0, 0}, true}, {{13, 7, 0}, true}, {{14, 0, 0}, false}, {{14, 4, 2}, false}, {{15, 1, 0}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ios.major * 100 + c.ios.minor);
    SimProcess p(ProcessSpec{c.ios});
    p.write_settings(Dictionary{{"widgets", true}, {"forceLightWidget", true}});
    p.load();
    EXPECT_EQ(p.settings().widgets, c.widgets_on);
    EXPECT_EQ(p.settings().forceLightWidget, c.widgets_on);
  }
  SimProcess p(ProcessSpec{{14, 0, 0}});
  p.load();
  expect_defaults(p.settings(), true);
}

TEST(Settings, RelaunchReadsTheFileAfresh) {
  SimProcess p;
  p.load();
  EXPECT_TRUE(p.settings().notifications);
  p.write_settings(Dictionary{{"notifications", false}});
  p.process().relaunch();
  EXPECT_FALSE(p.settings().notifications);
}

// Every key of the library's list is read into its own field with its own
// kind: each boolean set against its default, each real to a value no other
// key gets, in a file that holds them all.
TEST(Settings, EveryListedKeyReachesItsField) {
  Dictionary file;
  int reals = 0;
#define FLAG_ENTRY(name, fallback, meaning) file.set(#name, !(fallback));
#define REAL_ENTRY(name, fallback, meaning) file.set(#name, 0.125 * ++reals);
  CORVANE_SETTINGS_KEYS(FLAG_ENTRY, REAL_ENTRY)
#undef FLAG_ENTRY
#undef REAL_ENTRY
  SimProcess p;
  p.write_settings(file);
  p.load();
  const corvane::Settings& s = p.settings();
  reals = 0;
#define FLAG_CHECK(name, fallback, meaning) EXPECT_EQ(s.name, !(fallback)) << #name;
#define REAL_CHECK(name, fallback, meaning) EXPECT_EQ(s.name, 0.125 * ++reals) << #name;
  CORVANE_SETTINGS_KEYS(FLAG_CHECK, REAL_CHECK)
#undef FLAG_CHECK
#undef REAL_CHECK
  EXPECT_EQ(reals, 5);
}

}  // namespace
