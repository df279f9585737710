#include "sim/springboard/MTPlatterHeaderContentView.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

MTPlatterHeaderContentViewObj* header(id self) { return as<MTPlatterHeaderContentViewObj>(self); }

// A header always answers an array, empty when it shows no icon.
id icons(id self, SEL) {
  if (!header(self)->icons) header(self)->icons = make_array({});
  return header(self)->icons;
}
void set_icons(id self, SEL, id list) { header(self)->icons = list; }
id title(id self, SEL) { return header(self)->title; }
void set_title(id self, SEL, id text) { header(self)->title = text; }

Class install() {
  Class c = define_class<MTPlatterHeaderContentViewObj>("MTPlatterHeaderContentView", ensure_class("UIView"));
  def(c, "icons", icons);
  def(c, "setIcons:", set_icons);
  def(c, "title", title);
  def(c, "setTitle:", set_title);
  add_ivar(c, "_icons", offsetof(MTPlatterHeaderContentViewObj, icons));
  add_ivar(c, "_title", offsetof(MTPlatterHeaderContentViewObj, title));
  return c;
}

SIM_HOST_CLASS("MTPlatterHeaderContentView", Layer::SpringBoard, install);

}  // namespace

id make_header_content_view(id icon, CGRect frame) {
  id v = make_view("MTPlatterHeaderContentView", frame);
  set_header_icon(v, icon);
  return v;
}

void set_header_icon(id header, id icon) {
  std::vector<id> list;
  if (icon) list.push_back(icon);
  send<void>(header, sel("setIcons:"), make_array(list));
}

}  // namespace sim
