// UIUserInterfaceStyleArbiter: the shared object that decides the system's
// interface style.
//
// The arbiter owns the system's style setting as a UISUserInterfaceStyleMode
// object (_styleMode, which the settings side changes) and keeps the style it
// last computed from it (`currentStyle`, _currentStyle). The style starts
// light (1) with the mode light.
//
// - `_updateCurrentStyleAndNotify:forReason:` recomputes the style from the
//   mode: the style becomes the mode (0 unspecified, 1 light, 2 dark). With
//   notify YES and a style or mode that differs from the last computation,
//   it then logs the change by sending itself
//   `_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:` with the
//   same integer reason. Called directly, without a change of mode first, it
//   changes nothing.
// - `userInterfaceStyleModeDidChange:` is the arbiter's callback as the mode
//   object's delegate. The platform types its argument only as id; the host
//   passes the mode object that changed, the arbiter's own _styleMode. The
//   method sends itself `_updateCurrentStyleAndNotify:YES
//   forReason:kReasonModeChanged`.
// - `_logChangeEventWithNewMode:...` (five long longs: new and old mode, new
//   and old style, reason) records the change in the system's log, which the
//   simulator does not keep: it has no effect of its own.
//
// A change of the system style (change_system_style, the `style` command)
// sets the mode object's value, then sends `userInterfaceStyleModeDidChange:`
// to the arbiter. Every step is a message, so the calls nest:
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

#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"
#include "sim/uikit/UISUserInterfaceStyleMode.h"
#include "sim/uikit/style.h"

namespace sim {
namespace {

constexpr NSInteger kReasonModeChanged = 1;

struct ArbiterObj : objc_object {
  Strong style_mode;           // _styleMode: the system's style setting
  NSInteger style = 1;         // _currentStyle, computed from the mode
  NSInteger applied_mode = 1;  // the mode the style was last computed from
};

ArbiterObj* arbiter(id self) { return as<ArbiterObj>(self); }

// The mode object the arbiter holds. A library may have set _styleMode to
// nil or to another object: there is then no mode, read as unspecified (0),
// and a change of the system's setting reaches no mode.
UISUserInterfaceStyleModeObj* mode_object(id self) {
  id m = arbiter(self)->style_mode.get();
  return m && is_kind_of(m, "UISUserInterfaceStyleMode") ? as<UISUserInterfaceStyleModeObj>(m) : nullptr;
}

NSInteger mode_of(id self) {
  const UISUserInterfaceStyleModeObj* m = mode_object(self);
  return m ? m->mode_value : 0;
}

SharedInstance g_shared;

// The arbiter starts from the system's setting, which outlives a relaunch
// of the process.
id shared_instance(id self, SEL) {
  return g_shared.get([self] {
    id made = alloc_instance(static_cast<Class>(self));
    ArbiterObj* a = arbiter(made);
    if (const System* system = System::current()) a->style = a->applied_mode = system->system_style();
    id mode = make_style_mode(a->style);
    a->style_mode = mode;
    objc_release(mode);
    return made;
  });
}

NSInteger current_style(id self, SEL) { return arbiter(self)->style; }

void update_current_style(id self, SEL, BOOL notify, NSInteger reason) {
  ArbiterObj* a = arbiter(self);
  const NSInteger old_style = a->style, old_mode = a->applied_mode;
  a->style = mode_of(self);
  a->applied_mode = mode_of(self);
  if (!notify || (a->style == old_style && a->applied_mode == old_mode)) return;
  send<void>(self, sel("_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:"), a->applied_mode,
             old_mode, a->style, old_style, reason);
}

void mode_did_change(id self, SEL, id /*mode*/) {
  send<void>(self, sel("_updateCurrentStyleAndNotify:forReason:"), true, kReasonModeChanged);
}

void log_change_event(id, SEL, NSInteger, NSInteger, NSInteger, NSInteger, NSInteger) {}

Class install() {
  Class c = define_class<ArbiterObj>("UIUserInterfaceStyleArbiter", ensure_class("NSObject"));
  def_class(c, "sharedInstance", shared_instance);
  def(c, "currentStyle", current_style);
  def(c, "_updateCurrentStyleAndNotify:forReason:", update_current_style);
  def(c, "userInterfaceStyleModeDidChange:", mode_did_change);
  def(c, "_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:", log_change_event);
  add_scalar_ivar(c, "_currentStyle", offsetof(ArbiterObj, style), "q");
  add_ivar(c, "_styleMode", offsetof(ArbiterObj, style_mode), "UISUserInterfaceStyleMode");
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
  if (UISUserInterfaceStyleModeObj* m = mode_object(a)) m->mode_value = style;
  send<void>(a, sel("userInterfaceStyleModeDidChange:"), arbiter(a)->style_mode.get());
}

}  // namespace sim
