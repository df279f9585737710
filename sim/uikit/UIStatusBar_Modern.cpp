// UIStatusBar_Modern: the status bar of devices with a sensor housing. Not a
// subclass of UIStatusBar: it answers the same messages with methods of its
// own, so a hook on one class never reaches the other.
#include "sim/uikit/UIStatusBar_Modern.h"

#include "sim/process/host_classes.h"

namespace sim {
namespace {

StatusBarObj* bar(id self) { return as<StatusBarObj>(self); }

NSInteger current_style(id self, SEL) { return bar(self)->current_style; }
void set_foreground_color(id self, SEL, id colour) {
  bar(self)->foreground_color = colour;
  note_view_change(self, "foregroundColor");
}
id foreground_color(id self, SEL) { return bar(self)->foreground_color; }
void layout_subviews(id self, SEL cmd) {
  send_super<void>(class_named("UIStatusBar_Modern"), self, cmd);
}

Class install() {
  Class c = define_class<StatusBarObj>("UIStatusBar_Modern", ensure_class("UIView"));
  def(c, "currentStyle", current_style);
  def(c, "setForegroundColor:", set_foreground_color);
  def(c, "foregroundColor", foreground_color);
  def(c, "layoutSubviews", layout_subviews);
  return c;
}

SIM_HOST_CLASS("UIStatusBar_Modern", Layer::UIKit, install);

}  // namespace
}  // namespace sim
