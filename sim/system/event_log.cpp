#include "sim/system/event_log.h"

namespace sim {
namespace {
std::vector<Event> g_events;
}  // namespace

void record_event(Event e) { g_events.push_back(std::move(e)); }
const std::vector<Event>& events() { return g_events; }
void clear_events() { g_events.clear(); }

}  // namespace sim
