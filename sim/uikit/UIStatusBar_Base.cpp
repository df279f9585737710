// UIStatusBar_Base : _UIScrollsToTopInitiatorView : UIView. It declares the
// foreground colour (foregroundColor / setForegroundColor:, retained in
// _foregroundColor) and a currentStyle that each subclass overrides. The
// base itself has no style of the application in front to report: it
// answers the default style, 0. Only its subclasses are ever made.
#include "sim/uikit/UIStatusBar_Base.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

StatusBarObj* bar(id self) { return as<StatusBarObj>(self); }

NSInteger base_current_style(id, SEL) { return 0; }
void set_foreground_color(id self, SEL, id colour) {
  bar(self)->foreground_color = colour;
  note_view_change(self, "foregroundColor");
}
id foreground_color(id self, SEL) { return bar(self)->foreground_color; }

Class install() {
  Class c = define_class<StatusBarObj>("UIStatusBar_Base", ensure_class("_UIScrollsToTopInitiatorView"));
  def(c, "currentStyle", base_current_style);
  def(c, "foregroundColor", foreground_color);
  def(c, "setForegroundColor:", set_foreground_color);
  add_ivar(c, "_foregroundColor", offsetof(StatusBarObj, foreground_color), "UIColor");
  return c;
}

SIM_HOST_CLASS("UIStatusBar_Base", Layer::UIKit, install);

}  // namespace
}  // namespace sim
