// NSTimer and the main run loop's virtual clock.
//
// The clock starts at 0 when the process starts and moves only when
// run_loop_advance is called (the `tick` command). Timers fire in the order
// of their fire times; timers due at the same time fire in the order they
// were scheduled. A repeating timer fires once for every interval that
// passes, at start + n * interval, so a long tick never merges or drops
// fires and the times do not drift. Each fire runs inside an autorelease
// pool of its own.
//
// As on the platform, a scheduled timer is retained by the run loop until it
// is invalidated, and the timer retains its target, its user info and its
// block until then. A one-shot timer is invalidated after its fire. An
// interval that is not positive becomes 0.1 ms, as NSTimer does.
#include "sim/foundation/run_loop.h"

#include <memory>
#include <vector>

#include "sim/foundation/NSNotificationCenter.h"
#include "sim/foundation/foundation.h"
#include "sim/runtime/block.h"
#include "sim/runtime/host_classes.h"
#include "sim/seam_services.h"
#include "sim/system/event_log.h"

namespace sim {
namespace {

constexpr double kMinimumInterval = 0.0001;

struct NSTimerObj : objc_object {
  double interval = 0;
  bool repeats = false;
  Strong target;
  SEL selector = nullptr;
  Strong user_info;
  Strong block;
  bool valid = false;
  double start = 0;    // when it was scheduled
  uint64_t fired = 0;  // fires so far
  double fire_at = 0;  // start + (fired + 1) * interval
  uint64_t order = 0;  // scheduling order, for ties
};

struct RunLoop {
  double now = 0;
  uint64_t next_order = 0;
  std::vector<Strong> timers;  // scheduled and valid
};

RunLoop g_loop;

// Timers (and, through them, their targets and blocks) go when the process
// ends. The list is emptied before the timers are released, since releasing
// one may run code that touches the run loop.
RuntimeStopHook g_reset([] {
  std::vector<Strong> gone;
  gone.swap(g_loop.timers);
  g_loop = RunLoop{};
  gone.clear();
});

NSTimerObj* timer(id t) { return as<NSTimerObj>(t); }

double sane_interval(double seconds) { return seconds > 0 ? seconds : kMinimumInterval; }

id schedule(double interval, bool repeats) {
  id t = alloc_instance(ensure_class("NSTimer"));
  NSTimerObj* tm = timer(t);
  tm->interval = sane_interval(interval);
  tm->repeats = repeats;
  tm->valid = true;
  tm->start = g_loop.now;
  tm->fire_at = tm->start + tm->interval;
  tm->order = g_loop.next_order++;
  g_loop.timers.emplace_back(t);
  return objc_autorelease(t);  // the run loop holds it
}

id scheduled_with_target(id, SEL, double interval, id target, SEL selector, id user_info, BOOL repeats) {
  id t = schedule(interval, repeats);
  timer(t)->target = target;
  timer(t)->selector = selector;
  timer(t)->user_info = user_info;

  Event e;
  e.kind = "timer";
  e.object = ObjectRef::of(target);
  e.selector = selector ? sel_getName(selector) : "";
  e.interval = timer(t)->interval;
  e.repeats = repeats;
  record_event(std::move(e));
  return t;
}

// A block timer has no target or selector to name: the event says a block
// was given.
id scheduled_with_block(id, SEL, double interval, BOOL repeats, id block) {
  if (!block) fatal("+[NSTimer scheduledTimerWithTimeInterval:repeats:block:]: block is nil");
  id t = schedule(interval, repeats);
  timer(t)->block = block;

  Event e;
  e.kind = "timer";
  e.block = true;
  e.interval = timer(t)->interval;
  e.repeats = repeats;
  record_event(std::move(e));
  return t;
}

void invalidate(id self, SEL) {
  NSTimerObj* tm = timer(self);
  if (!tm->valid) return;
  Strong keep = self;  // the run loop's reference may be the last
  tm->valid = false;
  // Move what the timer held out first: releasing it may run any code.
  Strong target = tm->target, user_info = tm->user_info, block = tm->block;
  tm->target = nullptr;
  tm->user_info = nullptr;
  tm->block = nullptr;
  Strong ours;
  for (auto it = g_loop.timers.begin(); it != g_loop.timers.end(); ++it) {
    if (it->get() != self) continue;
    ours = *it;
    g_loop.timers.erase(it);
    break;
  }
}

BOOL is_valid(id self, SEL) { return timer(self)->valid; }
double time_interval(id self, SEL) { return timer(self)->interval; }
id user_info(id self, SEL) { return timer(self)->user_info; }

// One fire: the target's selector or the block, with the timer.
void fire_once(id t) {
  NSTimerObj* tm = timer(t);
  if (tm->block) {
    Strong block = tm->block;
    call_block_with_object(block, t);
  } else if (tm->target) {
    Strong target = tm->target;
    send_callout(target, tm->selector, t, "a timer's selector");
  }
}

// -fire: fires now, without changing the schedule of a repeating timer; a
// one-shot timer is then invalidated.
void fire(id self, SEL) {
  if (!timer(self)->valid) return;
  Strong keep = self;
  fire_once(self);
  if (!timer(self)->repeats) send<void>(self, sel("invalidate"));
}

Class install() {
  Class c = define_class<NSTimerObj>("NSTimer", ensure_class("NSObject"));
  def_class(c, "scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:", scheduled_with_target);
  def_class(c, "scheduledTimerWithTimeInterval:repeats:block:", scheduled_with_block, "@32@0:8d16B24@?28");
  def(c, "invalidate", invalidate);
  def(c, "isValid", is_valid);
  def(c, "timeInterval", time_interval);
  def(c, "userInfo", user_info);
  def(c, "fire", fire);
  return c;
}

SIM_HOST_CLASS("NSTimer", Layer::Foundation, install);

// The next valid timer due no later than `end`, or nullptr.
id next_due(double end) {
  id best = nullptr;
  for (const Strong& s : g_loop.timers) {
    NSTimerObj* tm = timer(s);
    if (!tm->valid || tm->fire_at > end) continue;
    if (!best || tm->fire_at < timer(best)->fire_at ||
        (tm->fire_at == timer(best)->fire_at && tm->order < timer(best)->order))
      best = s;
  }
  return best;
}

}  // namespace

double run_loop_now() { return g_loop.now; }

void run_loop_advance(double seconds) {
  if (!(seconds > 0)) return;  // the clock never goes back; NaN moves nothing
  const double end = g_loop.now + seconds;
  while (id t = next_due(end)) {
    Strong keep = t;
    NSTimerObj* tm = timer(t);
    if (tm->fire_at > g_loop.now) g_loop.now = tm->fire_at;
    AutoreleasePool pool;
    if (tm->repeats) {
      ++tm->fired;
      tm->fire_at = tm->start + static_cast<double>(tm->fired + 1) * tm->interval;
    }
    fire_once(t);
    if (!tm->repeats) send<void>(t, sel("invalidate"));
  }
  g_loop.now = end;
}

}  // namespace sim
