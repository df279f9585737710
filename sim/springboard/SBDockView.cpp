// SBDockView: the home screen's dock. Its initialiser makes the background
// view and adds it behind everything else; every layout pass stretches the
// background view over the dock's bounds.
#include "sim/springboard/SBDockView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

SBDockViewObj* dock(id self) { return as<SBDockViewObj>(self); }

id init_with_frame(id self, SEL cmd, CGRect frame) {
  self = send_super<id>(class_named("SBDockView"), self, cmd, frame);
  if (!self) return self;
  id background = make_view("UIView", CGRect{{0, 0}, frame.size});
  dock(self)->background_view = background;
  add_subview(self, background);
  send<void>(self, sel("sendSubviewToBack:"), background);
  return self;
}

void layout_subviews(id self, SEL cmd) {
  send_super<void>(class_named("SBDockView"), self, cmd);
  CGRect bounds = send<CGRect>(self, sel("bounds"));
  send<void>(dock(self)->background_view.get(), sel("setFrame:"), bounds);
}

Class install() {
  Class c = define_class<SBDockViewObj>("SBDockView", ensure_class("UIView"));
  def(c, "initWithFrame:", init_with_frame);
  def(c, "layoutSubviews", layout_subviews);
  add_ivar(c, "_backgroundView", offsetof(SBDockViewObj, background_view));
  return c;
}

SIM_HOST_CLASS("SBDockView", Layer::SpringBoard, install);

}  // namespace

id make_dock() { return make_view("SBDockView", CGRect{{8, 716}, {359, 88}}); }

}  // namespace sim
