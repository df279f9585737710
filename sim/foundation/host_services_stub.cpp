// Placeholders for the notification centre, run loop and style change; the
// real ones replace this file.
#include "sim/foundation/notification_center.h"
#include "sim/foundation/run_loop.h"
#include "sim/uikit/style.h"

namespace sim {
void post_local_notification(const std::string&, id) {}
double run_loop_now() { return 0; }
void run_loop_advance(double) {}
void change_system_style(NSInteger) {}
}  // namespace sim

extern "C" void sim_schedule_weak_repeating_timer(double, id, SEL) {}
extern "C" void sim_darwin_post_from_outside(const char*) {}
