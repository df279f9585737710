// UIStatusBar: the legacy status bar. It reports its own style, keeps the
// foreground colour it is given and lays itself out as a plain view does
// (its glyphs are drawn from its frame and foreground colour).
#include "sim/uikit/UIStatusBar.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

StatusBarObj* bar(id self) { return as<StatusBarObj>(self); }

NSInteger current_style(id self, SEL) { return bar(self)->current_style; }
void set_foreground_color(id self, SEL, id colour) {
  bar(self)->foreground_color = colour;
  note_view_change(self, "foregroundColor");
}
id foreground_color(id self, SEL) { return bar(self)->foreground_color; }
// Both status bars are direct subclasses of UIView: their layout is
// UIView's.
void layout_subviews(id self, SEL cmd) {
  IMP view_layout = class_getMethodImplementation(ensure_class("UIView"), cmd);
  reinterpret_cast<void (*)(id, SEL)>(view_layout)(self, cmd);
}

Class install() { return define_status_bar_class("UIStatusBar"); }

SIM_HOST_CLASS("UIStatusBar", Layer::UIKit, install);

}  // namespace

Class define_status_bar_class(const char* name) {
  Class c = define_class<StatusBarObj>(name, ensure_class("UIView"));
  def(c, "currentStyle", current_style);
  def(c, "setForegroundColor:", set_foreground_color);
  def(c, "foregroundColor", foreground_color);
  def(c, "layoutSubviews", layout_subviews);
  return c;
}

id make_status_bar(bool modern, NSInteger style) {
  CGRect frame = modern ? CGRect{{0, 0}, {375, 44}} : CGRect{{0, 0}, {375, 20}};
  id b = make_view(modern ? "UIStatusBar_Modern" : "UIStatusBar", frame);
  as<StatusBarObj>(b)->current_style = style;
  return b;
}

}  // namespace sim
