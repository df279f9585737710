// What the host records for `dump events`: posts on the three notification
// centres, file writes, observer registrations, timers, relaunch requests and
// queries of the per-application list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/runtime/runtime.h"

namespace sim {

// An object as an event names it: it may be gone by the time of the dump.
struct ObjectRef {
  uint64_t serial = 0;  // 0: null
  std::string class_name;
  static ObjectRef of(id o) { return o ? ObjectRef{o->serial, o->isa->name} : ObjectRef{}; }
};

struct Event {
  std::string kind;  // post, file-write, relaunch-requested, timer, hook-missing, observer, applist-query
  std::string centre;
  std::string name;
  ObjectRef object;  // post: the object; timer: the target; observer: the observer
  std::string path;  // file-write
  bool atomic = false;
  std::string selector;
  std::string class_name;  // hook-missing: the class the hook was aimed at
  double interval = 0;
  bool repeats = false;
  bool block = false;  // timer: a block timer (no target or selector)
  // CoreFoundation centres: posts carry their userInfo and (distributed
  // centre) deliverImmediately; observers their suspension behaviour.
  bool cf = false;
  bool any_name = false;  // an observer of every name
  ObjectRef user_info;
  bool deliver_immediately = false;
  long suspension_behavior = 0;
  // applist-query: what was asked (empty when not a string) and the answer.
  std::string identifier, key, bundle;
  bool result = false;
};

void record_event(Event e);
const std::vector<Event>& events();
void clear_events();

}  // namespace sim
