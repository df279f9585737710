// A host-side test class whose instances note every message they receive in
// a shared log, so tests can see who was called, in which order, with what.
#pragma once

#include <string>
#include <vector>

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace corvane_test {

struct ProbeObj : objc_object {
  std::vector<std::string>* log = nullptr;
  std::string tag;
  id victim = nullptr;        // released by dropVictim (a reference this probe owns)
  sim::Strong last_argument;  // the last argument given to pingWith:
};

inline ProbeObj* probe(id o) { return sim::as<ProbeObj>(o); }

inline void probe_ping(id self, SEL) { probe(self)->log->push_back(probe(self)->tag); }
inline void probe_ping_with(id self, SEL, id arg) {
  probe(self)->last_argument = arg;
  probe(self)->log->push_back(probe(self)->tag + "(" + sim::class_name_of(arg) + ")");
}
inline void probe_drop_victim(id self, SEL) {
  probe(self)->log->push_back(probe(self)->tag);
  id v = probe(self)->victim;
  probe(self)->victim = nullptr;
  objc_release(v);
}
inline BOOL probe_wrong(id, SEL, long) { return NO; }

// Defines the class "Probe" in the running process.
inline Class define_probe_class() {
  Class c = sim::define_class<ProbeObj>("Probe", sim::ensure_class("NSObject"));
  sim::def(c, "ping", probe_ping);
  sim::def(c, "pingWith:", probe_ping_with);
  sim::def(c, "dropVictim", probe_drop_victim);
  sim::def(c, "wrong:", probe_wrong);
  return c;
}

// A new probe (+1: the caller releases it).
inline id new_probe(Class c, std::vector<std::string>* log, const std::string& tag) {
  id o = sim::alloc_instance(c);
  probe(o)->log = log;
  probe(o)->tag = tag;
  return o;
}

}  // namespace corvane_test
