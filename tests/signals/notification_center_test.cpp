// The default local notification centre: synchronous fan-out in
// registration order, name and sender filters, weakly held observers, and
// the events it records.
#include "sim/foundation/notification_center.h"

#include <gtest/gtest.h>

#include "signals/probe.h"
#include "sim/system/event_log.h"
#include "support/sim_fixture.h"

using namespace sim;
using namespace corvane_test;

namespace {

class NotificationCenterTest : public ::testing::Test {
 protected:
  void SetUp() override { clear_events(); }

  id centre() {
    return send<id>(reinterpret_cast<id>(class_named("NSNotificationCenter")), sel("defaultCenter"));
  }
  void observe(id observer, const char* selector, const char* name, id object = nullptr) {
    send<void>(centre(), sel("addObserver:selector:name:object:"), observer, sel(selector),
               name ? make_string(name) : static_cast<id>(nullptr), object);
  }
  void post(const char* name, id object = nullptr) {
    send<void>(centre(), sel("postNotificationName:object:"), make_string(name), object);
  }

  SimProcess proc{ProcessSpec{{13, 7, 0}, ProcessKind::Daemon, "test"}};
  AutoreleasePool pool;
  Class probe_class = define_probe_class();
  std::vector<std::string> log;
};

TEST_F(NotificationCenterTest, OnePostReachesEveryMatchingObserverOnceInOrderBeforeItReturns) {
  id sender = objc_autorelease(alloc_instance(class_named("NSObject")));
  id other_sender = objc_autorelease(alloc_instance(class_named("NSObject")));
  std::vector<id> probes;
  for (const char* tag : {"a", "b", "c", "d", "e", "f"})
    probes.push_back(objc_autorelease(new_probe(probe_class, &log, tag)));
  observe(probes[0], "ping", "update");
  observe(probes[1], "ping", "other");                 // another name
  observe(probes[2], "ping", "update", sender);        // this sender only
  observe(probes[3], "ping", "update", other_sender);  // another sender only
  observe(probes[4], "ping", nullptr);                 // every name
  observe(probes[5], "ping", "update");

  post("update", sender);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "c", "e", "f"}));

  log.clear();
  post("update");  // no sender: filtered observers stay silent
  EXPECT_EQ(log, (std::vector<std::string>{"a", "e", "f"}));

  log.clear();
  post("unheard");
  EXPECT_EQ(log, (std::vector<std::string>{"e"}));
}

TEST_F(NotificationCenterTest, SelectorsAreCalledByTheirEncoding) {
  id sender = objc_autorelease(alloc_instance(class_named("NSObject")));
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  observe(p, "pingWith:", "update");
  observe(p, "ping", "update");
  post("update", sender);
  ASSERT_EQ(log, (std::vector<std::string>{"p(NSNotification)", "p"}));
  id note = probe(p)->last_argument;
  EXPECT_EQ(string_value(send<id>(note, sel("name"))), "update");
  EXPECT_EQ(send<id>(note, sel("object")), sender);
  EXPECT_EQ(send<id>(note, sel("userInfo")), nullptr);
}

TEST_F(NotificationCenterTest, DeallocatedObserversAreNeverCalled) {
  id gone = new_probe(probe_class, &log, "gone");
  id stays = objc_autorelease(new_probe(probe_class, &log, "stays"));
  Weak watch;
  watch = gone;
  observe(gone, "ping", "update");
  observe(stays, "ping", "update");
  objc_release(gone);  // the centre does not keep it alive
  ASSERT_EQ(watch.get(), nullptr);
  post("update");
  EXPECT_EQ(log, (std::vector<std::string>{"stays"}));
}

TEST_F(NotificationCenterTest, AnObserverFreedDuringThePostIsSkipped) {
  id first = objc_autorelease(new_probe(probe_class, &log, "first"));
  id victim = new_probe(probe_class, &log, "victim");
  id last = objc_autorelease(new_probe(probe_class, &log, "last"));
  probe(first)->victim = victim;  // first holds the only reference
  observe(first, "dropVictim", "update");
  observe(victim, "ping", "update");
  observe(last, "ping", "update");
  post("update");
  EXPECT_EQ(log, (std::vector<std::string>{"first", "last"}));
  log.clear();
  post("update");
  EXPECT_EQ(log, (std::vector<std::string>{"first", "last"}));
}

TEST_F(NotificationCenterTest, RemovedObserversHearNothingMore) {
  id a = objc_autorelease(new_probe(probe_class, &log, "a"));
  id b = objc_autorelease(new_probe(probe_class, &log, "b"));
  observe(a, "ping", "one");
  observe(a, "ping", "two");
  observe(b, "ping", "one");
  send<void>(centre(), sel("removeObserver:name:object:"), a, make_string("one"), static_cast<id>(nullptr));
  post("one");
  post("two");
  EXPECT_EQ(log, (std::vector<std::string>{"b", "a"}));
  log.clear();
  send<void>(centre(), sel("removeObserver:"), a);
  post("one");
  post("two");
  EXPECT_EQ(log, (std::vector<std::string>{"b"}));
}

TEST_F(NotificationCenterTest, RegistrationsAndPostsAreRecorded) {
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  id sender = objc_autorelease(alloc_instance(class_named("NSObject")));
  observe(p, "ping", "update");
  post_local_notification("update", sender);
  post_local_notification("quiet", nullptr);
  ASSERT_EQ(events().size(), 3u);
  const Event& reg = events()[0];
  EXPECT_EQ(reg.kind, "observer");
  EXPECT_EQ(reg.centre, "local");
  EXPECT_EQ(reg.name, "update");
  EXPECT_EQ(reg.object.serial, p->serial);
  EXPECT_EQ(reg.selector, "ping");
  for (size_t i : {1u, 2u}) {
    EXPECT_EQ(events()[i].kind, "post");
    EXPECT_EQ(events()[i].centre, "local");
  }
  EXPECT_EQ(events()[1].name, "update");
  EXPECT_EQ(events()[1].object.serial, sender->serial);
  EXPECT_EQ(events()[2].name, "quiet");
  EXPECT_EQ(events()[2].object.serial, 0u);
  EXPECT_EQ(log, (std::vector<std::string>{"p"}));
}

TEST_F(NotificationCenterTest, TheDefaultCentreBelongsToItsProcess) {
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  observe(p, "ping", "update");
  proc.process().relaunch();
  AutoreleasePool inner;
  define_probe_class();
  post("update");
  EXPECT_TRUE(log.empty());
}

TEST_F(NotificationCenterTest, ASelectorOfAnotherShapeIsRefused) {
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  observe(p, "wrong:", "update");
  EXPECT_DEATH(post("update"), "must take no argument or one object");
}

}  // namespace
