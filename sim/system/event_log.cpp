#include "sim/system/event_log.h"

namespace sim {
namespace {

std::vector<Event> g_events;

void record_missing_hook(Class cls, SEL selector) {
  Event e;
  e.kind = "hook-missing";
  e.class_name = class_getName(cls->meta ? cls->counterpart : cls);
  e.selector = sel_getName(selector);
  record_event(std::move(e));
}

[[maybe_unused]] const bool g_listening = (on_missing_hook(record_missing_hook), true);

}  // namespace

void record_event(Event e) { g_events.push_back(std::move(e)); }
const std::vector<Event>& events() { return g_events; }
void clear_events() { g_events.clear(); }

}  // namespace sim
