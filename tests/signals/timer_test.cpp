// NSTimer on the main run loop's virtual clock, and the weak-target
// repeating timer the platform seam schedules.
#include <gtest/gtest.h>

#include <cmath>

#include "signals/probe.h"
#include "sim/foundation/run_loop.h"
#include "sim/runtime/block.h"
#include "sim/seam_services.h"
#include "sim/system/event_log.h"
#include "src/platform/platform.h"
#include "support/sim_fixture.h"

using namespace sim;
using namespace corvane_test;

namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { clear_events(); }

  id timer_class() { return reinterpret_cast<id>(class_named("NSTimer")); }
  id schedule(double interval, id target, const char* selector, bool repeats) {
    return send<id>(timer_class(), sel("scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:"),
                    interval, target, sel(selector), static_cast<id>(nullptr), repeats);
  }

  SimProcess proc{ProcessSpec{{13, 7, 0}, ProcessKind::Daemon, "test"}};
  AutoreleasePool pool;
  Class probe_class = define_probe_class();
  std::vector<std::string> log;
};

TEST_F(TimerTest, ARepeatingTimerFiresOncePerIntervalPassed) {
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  schedule(1.0, p, "ping", true);
  run_loop_advance(3.5);
  EXPECT_EQ(log.size(), 3u);
  EXPECT_DOUBLE_EQ(run_loop_now(), 3.5);
  run_loop_advance(0.49);
  EXPECT_EQ(log.size(), 3u);
  run_loop_advance(0.01);  // 4.0
  EXPECT_EQ(log.size(), 4u);
  run_loop_advance(100);
  EXPECT_EQ(log.size(), 104u);
}

TEST_F(TimerTest, DueTimersFireInTimeOrderAndTiesInSchedulingOrder) {
  struct Case {
    const char* tag;
    double interval;
    bool repeats;
  };
  const Case cases[] = {{"slow", 1.5, true}, {"a", 1.0, true}, {"b", 1.0, true}, {"once", 0.5, false}};
  for (const Case& c : cases)
    schedule(c.interval, objc_autorelease(new_probe(probe_class, &log, c.tag)), "ping", c.repeats);
  run_loop_advance(3.0);
  EXPECT_EQ(log, (std::vector<std::string>{"once", "a", "b", "slow", "a", "b", "slow", "a", "b"}));
}

TEST_F(TimerTest, ClockChangesThatMoveNothingFireNothing) {
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  schedule(1.0, p, "ping", true);
  for (double d : {0.0, -5.0, std::nan("")}) run_loop_advance(d);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(run_loop_now(), 0.0);
}

TEST_F(TimerTest, AOneShotTimerFiresOnceAndIsThenInvalid) {
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  id t = schedule(2.0, p, "pingWith:", false);
  Strong keep = t;
  EXPECT_TRUE(send<BOOL>(t, sel("isValid")));
  run_loop_advance(10);
  EXPECT_EQ(log, (std::vector<std::string>{"p(NSTimer)"}));
  EXPECT_EQ(probe(p)->last_argument, t);  // "v@:@" receives the timer
  EXPECT_FALSE(send<BOOL>(t, sel("isValid")));
}

TEST_F(TimerTest, ATimerKeepsItsTargetUntilInvalidated) {
  id p = new_probe(probe_class, &log, "p");
  Weak watch;
  watch = p;
  Strong t = schedule(1.0, p, "ping", true);
  objc_release(p);
  ASSERT_NE(watch.get(), nullptr);
  run_loop_advance(2);
  EXPECT_EQ(log.size(), 2u);
  send<void>(t, sel("invalidate"));
  EXPECT_EQ(watch.get(), nullptr);
  EXPECT_FALSE(send<BOOL>(t, sel("isValid")));
  run_loop_advance(5);
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(TimerTest, EachFireDrainsItsOwnAutoreleasePool) {
  struct Ctx {
    Weak last;
    int fires = 0;
    bool previous_was_freed = true;
  } ctx;
  auto tick = [](void* c, id) {
    auto* x = static_cast<Ctx*>(c);
    if (x->fires++ > 0 && x->last.get() != nullptr) x->previous_was_freed = false;
    x->last = make_string("made during the fire");
  };
  send<id>(timer_class(), sel("scheduledTimerWithTimeInterval:repeats:block:"), 1.0, true,
           make_object_block(tick, &ctx, nullptr));
  run_loop_advance(3);
  EXPECT_EQ(ctx.fires, 3);
  EXPECT_TRUE(ctx.previous_was_freed);
  EXPECT_EQ(ctx.last.get(), nullptr);
}

TEST_F(TimerTest, TargetTimersAreRecordedWhenScheduled) {
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  schedule(1.0, p, "ping", true);
  schedule(0.25, p, "pingWith:", false);
  ASSERT_EQ(events().size(), 2u);
  EXPECT_EQ(events()[0].kind, "timer");
  EXPECT_EQ(events()[0].object.serial, p->serial);
  EXPECT_EQ(events()[0].selector, "ping");
  EXPECT_EQ(events()[0].interval, 1.0);
  EXPECT_TRUE(events()[0].repeats);
  EXPECT_EQ(events()[1].selector, "pingWith:");
  EXPECT_EQ(events()[1].interval, 0.25);
  EXPECT_FALSE(events()[1].repeats);
}

TEST_F(TimerTest, TheWeakTargetTimerNeverKeepsItsTargetAlive) {
  id p = new_probe(probe_class, &log, "p");
  Weak watch;
  watch = p;
  {
    AutoreleasePool turn;  // the run-loop turn that scheduled it
    corvane::schedule_weak_repeating_timer(1.0, p, sel("ping"));
  }
  // The host's NSTimer sees a repeating block timer: no target to name.
  ASSERT_EQ(events().size(), 1u);
  EXPECT_EQ(events()[0].kind, "timer");
  EXPECT_TRUE(events()[0].block);
  EXPECT_EQ(events()[0].object.serial, 0u);
  EXPECT_EQ(events()[0].interval, 1.0);
  EXPECT_TRUE(events()[0].repeats);

  run_loop_advance(2.5);
  EXPECT_EQ(log.size(), 2u);
  size_t before = live_object_count();
  objc_release(p);  // the only reference: the timer does not hold one
  EXPECT_EQ(watch.get(), nullptr);
  run_loop_advance(1.0);  // the timer finds its target gone and stops
  EXPECT_EQ(log.size(), 2u);
  // The target, the timer and its block are all gone.
  EXPECT_EQ(live_object_count(), before - 3);
  run_loop_advance(10);
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(TimerTest, TimersBelongToTheirProcess) {
  id p = objc_autorelease(new_probe(probe_class, &log, "p"));
  schedule(1.0, p, "ping", true);
  corvane::schedule_weak_repeating_timer(1.0, p, sel("ping"));
  run_loop_advance(1.5);
  ASSERT_EQ(log.size(), 2u);
  proc.process().relaunch();
  EXPECT_EQ(run_loop_now(), 0.0);
  run_loop_advance(5);
  EXPECT_EQ(log.size(), 2u);
}

}  // namespace
