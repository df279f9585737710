// CoreFoundation's Darwin, distributed and local centres, and the restart
// signal that asks the home screen to relaunch.
#include <gtest/gtest.h>

#include "sim/foundation/CFNotificationCenter.h"
#include "sim/springboard/FBSystemService.h"
#include "sim/system/event_log.h"
#include "support/sim_fixture.h"

using namespace sim;
using namespace corvane_test;

namespace {

constexpr const char* kRestart = "com.tallowbirch.corvane13/respring";

struct Heard {
  std::string centre;
  const void* observer;
  std::string name;
  const void* object;
  CFDictionaryRef user_info;
};
std::vector<Heard> g_heard;

void listen(CFNotificationCenterRef c, void* observer, CFNotificationName name, const void* object,
            CFDictionaryRef user_info) {
  std::string label = c == CFNotificationCenterGetDarwinNotifyCenter()  ? "darwin"
                      : c == CFNotificationCenterGetDistributedCenter() ? "distributed"
                                                                        : "local";
  g_heard.push_back({label, observer, string_value(name), object, user_info});
}

class CFCenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clear_events();
    g_heard.clear();
  }
  void add(CFNotificationCenterRef c, const void* observer, const char* name, const void* object = nullptr) {
    CFNotificationCenterAddObserver(c, observer, listen, name ? constant_string(name) : nullptr, object,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  }

  SimProcess proc{ProcessSpec{{13, 7, 0}, ProcessKind::Daemon, "test"}};
  AutoreleasePool pool;
  CFNotificationCenterRef darwin = CFNotificationCenterGetDarwinNotifyCenter();
  CFNotificationCenterRef distributed = CFNotificationCenterGetDistributedCenter();
  CFNotificationCenterRef local = CFNotificationCenterGetLocalCenter();
};

TEST_F(CFCenterTest, EachCentreReachesOnlyItsOwnObserversOfTheName) {
  int tag = 0;
  add(darwin, &tag, "sig");
  add(distributed, nullptr, "sig");
  add(local, nullptr, "sig");
  add(darwin, nullptr, "other");

  sim_darwin_post_from_outside("sig");
  ASSERT_EQ(g_heard.size(), 1u);
  EXPECT_EQ(g_heard[0].centre, "darwin");
  EXPECT_EQ(g_heard[0].observer, &tag);
  EXPECT_EQ(g_heard[0].name, "sig");

  g_heard.clear();
  CFNotificationCenterPostNotification(distributed, constant_string("sig"), nullptr, nullptr, true);
  CFNotificationCenterPostNotification(local, constant_string("sig"), nullptr, nullptr, true);
  ASSERT_EQ(g_heard.size(), 2u);
  EXPECT_EQ(g_heard[0].centre, "distributed");
  EXPECT_EQ(g_heard[1].centre, "local");
}

TEST_F(CFCenterTest, DarwinCarriesNamesOnly) {
  id object = objc_autorelease(alloc_instance(class_named("NSObject")));
  id info = make_dictionary();
  add(darwin, nullptr, "sig", object);  // a Darwin object filter is ignored
  add(darwin, nullptr, nullptr);        // a Darwin observer needs a name
  CFNotificationCenterPostNotification(darwin, constant_string("sig"), object, info, true);
  ASSERT_EQ(g_heard.size(), 1u);
  EXPECT_EQ(g_heard[0].object, nullptr);
  EXPECT_EQ(g_heard[0].user_info, nullptr);
}

TEST_F(CFCenterTest, SenderFiltersMatchAsEachCentreCompares) {
  id a = objc_autorelease(alloc_instance(class_named("NSObject")));
  id b = objc_autorelease(alloc_instance(class_named("NSObject")));
  add(local, "by-a", "sig", a);
  add(local, "any", nullptr);
  add(distributed, "by-text", "sig", make_string("sender"));
  CFNotificationCenterPostNotification(local, constant_string("sig"), b, nullptr, true);
  CFNotificationCenterPostNotification(local, constant_string("sig"), a, nullptr, true);
  CFNotificationCenterPostNotification(distributed, constant_string("sig"), make_string("sender"), nullptr,
                                       true);
  CFNotificationCenterPostNotification(distributed, constant_string("sig"), make_string("someone"), nullptr,
                                       true);
  std::vector<std::string> who;
  for (const Heard& h : g_heard) who.push_back(static_cast<const char*>(h.observer));
  EXPECT_EQ(who, (std::vector<std::string>{"any", "by-a", "any", "by-text"}));
}

TEST_F(CFCenterTest, EveryPostIsRecordedWithItsCentre) {
  CFNotificationCenterPostNotification(distributed, constant_string("com.x.enable"), nullptr, nullptr, true);
  CFNotificationCenterPostNotification(darwin, constant_string("com.x.ping"), nullptr, nullptr, false);
  CFNotificationCenterPostNotification(local, constant_string("com.x.local"), nullptr, nullptr, true);
  sim_darwin_post_from_outside("com.x.outside");
  const std::vector<std::pair<std::string, std::string>> want = {{"distributed", "com.x.enable"},
                                                                 {"darwin", "com.x.ping"},
                                                                 {"local", "com.x.local"},
                                                                 {"darwin", "com.x.outside"}};
  ASSERT_EQ(events().size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(events()[i].kind, "post");
    EXPECT_EQ(events()[i].centre, want[i].first);
    EXPECT_EQ(events()[i].name, want[i].second);
    EXPECT_EQ(events()[i].object.serial, 0u);
  }
}

TEST_F(CFCenterTest, ObserversAreDroppedWhenTheProcessEnds) {
  add(darwin, nullptr, "sig");
  proc.process().relaunch();
  sim_darwin_post_from_outside("sig");
  EXPECT_TRUE(g_heard.empty());
}

// --- the restart signal -------------------------------------------------------

size_t relaunch_events() {
  size_t n = 0;
  for (const Event& e : events()) n += e.kind == "relaunch-requested";
  return n;
}

TEST(RestartSignal, AsksTheHomeScreenToExitAndRelaunch) {
  SimProcess p;
  p.write_settings(sim::plist::Dictionary{{"notifications", true}});
  p.load();
  clear_events();
  sim_darwin_post_from_outside("com.tallowbirch.corvane13/respringX");  // a name that is not it
  EXPECT_FALSE(p.process().take_relaunch_request());

  sim_darwin_post_from_outside(kRestart);
  EXPECT_EQ(relaunch_events(), 1u);
  ASSERT_TRUE(p.process().take_relaunch_request());
  EXPECT_FALSE(p.process().take_relaunch_request());  // taken once

  // The relaunched process loads the library anew and reads the settings
  // afresh; its restart observer works again.
  p.write_settings(sim::plist::Dictionary{{"notifications", false}});
  p.process().relaunch();
  EXPECT_FALSE(p.settings().notifications);
  sim_darwin_post_from_outside(kRestart);
  EXPECT_TRUE(p.process().take_relaunch_request());
  EXPECT_EQ(relaunch_events(), 2u);
}

TEST(RestartSignal, DoesNothingWhereTheServiceIsAbsent) {
  for (ProcessKind kind : {ProcessKind::App, ProcessKind::Daemon}) {
    SimProcess p(ProcessSpec{{13, 7, 0}, kind, "com.example.app"});
    p.load();
    clear_events();
    EXPECT_EQ(class_named("FBSystemService"), nullptr);
    EXPECT_EQ(shared_system_service(), nullptr);
    sim_darwin_post_from_outside(kRestart);
    EXPECT_FALSE(p.process().take_relaunch_request());
    EXPECT_EQ(relaunch_events(), 0u);
  }
}

TEST(SystemService, OnlyYesAsksForARelaunch) {
  SimProcess p;
  clear_events();
  AutoreleasePool pool;
  id service = shared_system_service();
  ASSERT_NE(service, nullptr);
  EXPECT_EQ(service, shared_system_service());
  send<void>(service, sel("exitAndRelaunch:"), false);
  EXPECT_FALSE(p.process().take_relaunch_request());
  send<void>(service, sel("exitAndRelaunch:"), true);
  EXPECT_TRUE(p.process().take_relaunch_request());
  EXPECT_EQ(relaunch_events(), 1u);
}

}  // namespace
