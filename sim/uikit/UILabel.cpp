#include "sim/uikit/UILabel.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

UILabelObj* label(id self) { return as<UILabelObj>(self); }

id text(id self, SEL) { return label(self)->text; }
void set_text(id self, SEL, id t) { label(self)->text = t; }
id text_color(id self, SEL) { return label(self)->text_color; }
void set_text_color(id self, SEL, id colour) {
  label(self)->text_color = colour;
  note_view_change(self, "textColor");
}

Class install() {
  Class c = define_class<UILabelObj>("UILabel", ensure_class("UIView"));
  def(c, "text", text);
  def(c, "setText:", set_text);
  def(c, "textColor", text_color);
  def(c, "setTextColor:", set_text_color);
  return c;
}

SIM_HOST_CLASS("UILabel", Layer::UIKit, install);

}  // namespace

id make_label(CGRect frame, std::string_view t) {
  id v = make_view("UILabel", frame);
  send<void>(v, sel("setText:"), make_string(t));
  return v;
}

}  // namespace sim
