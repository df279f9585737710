// The system's style arbiter: the shared object that holds the current
// interface style (0 unspecified, 1 light, 2 dark).
#include "sim/foundation/foundation.h"
#include "sim/process/host_classes.h"

namespace sim {
namespace {

struct ArbiterObj : objc_object {
  NSInteger style = 1;
};

Strong g_shared;
RuntimeStopHook g_reset([] { g_shared = nullptr; });

id shared_instance(id self, SEL) {
  if (!g_shared) {
    g_shared = alloc_instance(static_cast<Class>(self));
    objc_release(g_shared);
  }
  return g_shared;
}
NSInteger current_style(id self, SEL) { return as<ArbiterObj>(self)->style; }
void update_current_style(id, SEL, BOOL, NSInteger) {}
void mode_did_change(id, SEL, id) {}
void log_change_event(id, SEL, NSInteger, NSInteger, NSInteger, NSInteger, id) {}

Class install() {
  Class c = define_class<ArbiterObj>("UIUserInterfaceStyleArbiter", ensure_class("NSObject"));
  def_class(c, "sharedInstance", shared_instance);
  def(c, "currentStyle", current_style);
  def(c, "_updateCurrentStyleAndNotify:forReason:", update_current_style);
  def(c, "userInterfaceStyleModeDidChange:", mode_did_change);
  def(c, "_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:", log_change_event);
  return c;
}

SIM_HOST_CLASS("UIUserInterfaceStyleArbiter", Layer::UIKit, install);

}  // namespace
}  // namespace sim
