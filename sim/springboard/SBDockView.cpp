// SBDockView : UIView: the home screen's dock. It declares no initWithFrame:
// of its own: its initialiser is initWithDockListView:forSnapshot:, which
// runs UIView's initWithFrame: with a zero frame, makes the background view
// and adds it behind everything else. The simulator has no icon lists, so
// the host passes nil for the dock list view, and the dock is drawn the same
// for a snapshot. The host then frames the dock; every layout pass
// stretches the background view over the dock's bounds.
#include "sim/springboard/SBDockView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

SBDockViewObj* dock(id self) { return as<SBDockViewObj>(self); }

id init_with_dock_list_view(id self, SEL, id /*dock_list_view*/, BOOL /*for_snapshot*/) {
  self = send_super<id>(class_named("SBDockView"), self, sel("initWithFrame:"), CGRect{});
  if (!self) return self;
  id background = make_view("UIView", CGRect{});
  dock(self)->background_view = background;
  add_subview(self, background);
  send<void>(self, sel("sendSubviewToBack:"), background);
  return self;
}

id background_view(id self, SEL) { return dock(self)->background_view; }

void layout_subviews(id self, SEL cmd) {
  send_super<void>(class_named("SBDockView"), self, cmd);
  CGRect bounds = send<CGRect>(self, sel("bounds"));
  send<void>(dock(self)->background_view.get(), sel("setFrame:"), bounds);
}

Class install() {
  Class c = define_class<SBDockViewObj>("SBDockView", ensure_class("UIView"));
  def(c, "initWithDockListView:forSnapshot:", init_with_dock_list_view);
  def(c, "backgroundView", background_view);
  def(c, "layoutSubviews", layout_subviews);
  add_ivar(c, "_backgroundView", offsetof(SBDockViewObj, background_view), "UIView");
  return c;
}

SIM_HOST_CLASS("SBDockView", Layer::SpringBoard, install);

}  // namespace

id make_dock() {
  id d = send<id>(reinterpret_cast<id>(ensure_class("SBDockView")), sel("alloc"));
  d = objc_autorelease(send<id>(d, sel("initWithDockListView:forSnapshot:"), id{nullptr}, BOOL{false}));
  CGRect frame{{8, 716}, {359, 88}};
  send<void>(d, sel("setFrame:"), frame);
  send<void>(dock(d)->background_view.get(), sel("setFrame:"), CGRect{{0, 0}, frame.size});
  return d;
}

}  // namespace sim
