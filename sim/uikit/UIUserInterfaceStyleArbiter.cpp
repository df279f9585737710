// UIUserInterfaceStyleArbiter: the shared object that decides the system's
// interface style.
//
// The arbiter keeps two values: the mode (the system's style setting, which
// the settings side changes) and the style it last computed from the mode
// (`currentStyle`). The style starts light (1) with the mode light.
//
// - `_updateCurrentStyleAndNotify:forReason:` recomputes the style from the
//   mode: the style becomes the mode (0 unspecified, 1 light, 2 dark). With
//   notify YES and a style or mode that differs from the last computation,
//   it then logs the change by sending itself
//   `_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:`. Called
//   directly, without a change of mode first, it changes nothing.
// - `userInterfaceStyleModeDidChange:` (the argument is the object whose mode
//   changed; the host passes the arbiter) sends itself
//   `_updateCurrentStyleAndNotify:YES forReason:kReasonModeChanged`.
// - `_logChangeEventWithNewMode:...` records the change in the system's log,
//   which the simulator does not keep: it has no effect of its own.
//
// A change of the system style (change_system_style, the `style` command)
// sets the mode, then sends `userInterfaceStyleModeDidChange:` to the
// arbiter. Every step is a message, so the calls nest:
//
//   userInterfaceStyleModeDidChange:
//     _updateCurrentStyleAndNotify:YES forReason:1    (currentStyle changes here)
//       _logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:
//                                                    (only when something changed)
//
// so `currentStyle` already holds the new style when each of these methods
// returns to its caller. A change to the style the arbiter already has runs
// the first two only.
#include "sim/uikit/UIUserInterfaceStyleArbiter.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"
#include "sim/uikit/style.h"

namespace sim {
namespace {

constexpr NSInteger kReasonModeChanged = 1;

struct ArbiterObj : objc_object {
  NSInteger mode = 1;          // the system's style setting
  NSInteger style = 1;         // currentStyle, computed from the mode
  NSInteger applied_mode = 1;  // the mode the style was last computed from
};

ArbiterObj* arbiter(id self) { return as<ArbiterObj>(self); }

SharedInstance g_shared;

// The arbiter starts from the system's setting, which outlives a relaunch
// of the process.
id shared_instance(id self, SEL) {
  return g_shared.get([self] {
    id made = alloc_instance(static_cast<Class>(self));
    if (const System* system = System::current()) {
      ArbiterObj* a = arbiter(made);
      a->mode = a->style = a->applied_mode = system->system_style();
    }
    return made;
  });
}

NSInteger current_style(id self, SEL) { return arbiter(self)->style; }

void update_current_style(id self, SEL, BOOL notify, NSInteger) {
  ArbiterObj* a = arbiter(self);
  const NSInteger old_style = a->style, old_mode = a->applied_mode;
  a->style = a->mode;
  a->applied_mode = a->mode;
  if (!notify || (a->style == old_style && a->applied_mode == old_mode)) return;
  AutoreleasePool pool;
  send<void>(self, sel("_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:"), a->applied_mode,
             old_mode, a->style, old_style, make_string("mode change"));
}

void mode_did_change(id self, SEL, id) {
  send<void>(self, sel("_updateCurrentStyleAndNotify:forReason:"), true, kReasonModeChanged);
}

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

id shared_style_arbiter() {
  return send<id>(reinterpret_cast<id>(class_named("UIUserInterfaceStyleArbiter")), sel("sharedInstance"));
}

void change_system_style(NSInteger style) {
  id a = shared_style_arbiter();
  if (!a) return;
  Strong keep = a;
  if (System* system = System::current()) system->set_system_style(style);
  arbiter(a)->mode = style;
  send<void>(a, sel("userInterfaceStyleModeDidChange:"), a);
}

}  // namespace sim
