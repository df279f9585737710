// CoreFoundation's notification centres: the Darwin notify centre, the
// distributed centre and the local centre.
//
// - Darwin: system-wide, by name only. A post, from inside the process or
//   from outside (sim_darwin_post_from_outside), reaches this process's
//   observers of that name; the object and user info are never delivered
//   (callbacks receive null for both), as the notify system carries names
//   only. An observer registered with a null name hears nothing.
// - Distributed: a post leaves the process (it is recorded for `dump
//   events`) and also reaches this process's observers of the distributed
//   centre whose name and object match (objects compared as isEqual:).
// - Local: this process's observers whose name and object match (objects
//   compared by identity). It keeps its own observers: it is not bridged to
//   NSNotificationCenter's default centre.
//
// A null name at registration observes every name (local and distributed);
// a null object observes every sender. Every post on any centre is recorded
// as a "post" event naming its centre. Delivery is synchronous, in
// registration order, to the observers registered when the post begins.
// Observers belong to the process: they are dropped when it ends.
#include <memory>
#include <string>
#include <vector>

#include "sim/foundation/CFNotificationCenter.h"
#include "sim/foundation/foundation.h"
#include "sim/system/event_log.h"

namespace {

enum class CentreKind { Darwin, Distributed, Local };

struct CFObservation {
  const void* observer;
  CFNotificationCallback callback;
  bool any_name;
  std::string name;
  const void* object;
};

}  // namespace

struct __CFNotificationCenter {
  CentreKind kind;
  const char* label;  // as the event log names the centre
  std::vector<std::shared_ptr<CFObservation>> observations;
};

namespace {

__CFNotificationCenter g_darwin{CentreKind::Darwin, "darwin", {}};
__CFNotificationCenter g_distributed{CentreKind::Distributed, "distributed", {}};
__CFNotificationCenter g_local{CentreKind::Local, "local", {}};

sim::RuntimeStopHook g_reset([] {
  for (auto* c : {&g_darwin, &g_distributed, &g_local}) c->observations.clear();
});

id as_object(const void* p) { return const_cast<id>(static_cast<const objc_object*>(p)); }

bool object_matches(CentreKind kind, const void* filter, const void* object) {
  if (kind == CentreKind::Darwin || filter == nullptr) return true;
  if (kind == CentreKind::Distributed) return sim::objects_equal(as_object(filter), as_object(object));
  return filter == object;
}

void post(CFNotificationCenterRef centre, id name, const void* object, CFDictionaryRef user_info,
          bool deliver_immediately) {
  const bool darwin = centre->kind == CentreKind::Darwin;
  if (darwin) {
    object = nullptr;
    user_info = nullptr;
  }
  const std::string n = sim::string_value(name);

  sim::Event e;
  e.kind = "post";
  e.centre = centre->label;
  e.name = n;
  e.object = sim::ObjectRef::of(as_object(object));
  e.cf = true;
  e.user_info = sim::ObjectRef::of(as_object(user_info));
  e.deliver_immediately = deliver_immediately;
  sim::record_event(std::move(e));

  const auto snapshot = centre->observations;
  for (const auto& o : snapshot) {
    if (darwin && o->any_name) continue;
    if (!o->any_name && o->name != n) continue;
    if (!object_matches(centre->kind, o->object, object)) continue;
    o->callback(centre, const_cast<void*>(o->observer), name, object, user_info);
  }
}

}  // namespace

extern "C" {

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter(void) { return &g_darwin; }
CFNotificationCenterRef CFNotificationCenterGetDistributedCenter(void) { return &g_distributed; }
CFNotificationCenterRef CFNotificationCenterGetLocalCenter(void) { return &g_local; }

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callBack, CFStringRef name, const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior) {
  if (!center || !callBack) return;
  sim::Event e;
  e.kind = "observer";
  e.cf = true;
  e.centre = center->label;
  e.any_name = name == nullptr;
  e.name = sim::string_value(name);
  e.suspension_behavior = suspensionBehavior;
  sim::record_event(std::move(e));
  auto o = std::make_shared<CFObservation>();
  o->observer = observer;
  o->callback = callBack;
  o->any_name = name == nullptr;
  o->name = sim::string_value(name);
  o->object = center->kind == CentreKind::Darwin ? nullptr : object;
  center->observations.push_back(std::move(o));
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name,
                                          const void* object, CFDictionaryRef userInfo,
                                          Boolean deliverImmediately) {
  if (!center || !name) return;
  post(center, name, object, userInfo, deliverImmediately != 0);
}

bool sim_is_notification_center(const void* p) {
  return p == &g_darwin || p == &g_distributed || p == &g_local;
}

void sim_darwin_post_from_outside(const char* name) {
  if (!name) return;
  sim::AutoreleasePool pool;
  post(&g_darwin, sim::make_string(name), nullptr, nullptr, true);
}

}  // extern "C"
