// UIStatusBar : UIStatusBar_Base: the legacy status bar. It overrides only
// currentStyle (the style the host gave it) and layoutSubviews (the base's
// layout); its foreground colour is the base's.
#include "sim/uikit/UIStatusBar.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

NSInteger current_style(id self, SEL) { return as<StatusBarObj>(self)->current_style; }
void layout_subviews(id self, SEL cmd) { send_super<void>(class_named("UIStatusBar"), self, cmd); }

Class install() {
  Class c = define_class<StatusBarObj>("UIStatusBar", ensure_class("UIStatusBar_Base"));
  def(c, "currentStyle", current_style);
  def(c, "layoutSubviews", layout_subviews);
  return c;
}

SIM_HOST_CLASS("UIStatusBar", Layer::UIKit, install);

}  // namespace

id make_status_bar(bool modern, NSInteger style) {
  CGRect frame = modern ? CGRect{{0, 0}, {375, 44}} : CGRect{{0, 0}, {375, 20}};
  id b = make_view(modern ? "UIStatusBar_Modern" : "UIStatusBar", frame);
  as<StatusBarObj>(b)->current_style = style;
  return b;
}

}  // namespace sim
