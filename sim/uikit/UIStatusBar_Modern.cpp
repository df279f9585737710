// UIStatusBar_Modern : UIStatusBar_Base. Not a subclass of UIStatusBar: like
// it, it overrides only currentStyle and layoutSubviews, so a hook on one
// class's methods never reaches the other, while both inherit the base's
// foreground colour.
#include "sim/uikit/UIStatusBar_Modern.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

NSInteger current_style(id self, SEL) { return as<StatusBarObj>(self)->current_style; }
void layout_subviews(id self, SEL cmd) { send_super<void>(class_named("UIStatusBar_Modern"), self, cmd); }

Class install() {
  Class c = define_class<StatusBarObj>("UIStatusBar_Modern", ensure_class("UIStatusBar_Base"));
  def(c, "currentStyle", current_style);
  def(c, "layoutSubviews", layout_subviews);
  return c;
}

SIM_HOST_CLASS("UIStatusBar_Modern", Layer::UIKit, install);

}  // namespace
}  // namespace sim
