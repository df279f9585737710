#include "sim/springboard/PLPlatterHeaderContentView.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

PLPlatterHeaderContentViewObj* header(id self) { return as<PLPlatterHeaderContentViewObj>(self); }

// A header always answers an array, empty when it shows no icon. The
// setters copy: a list or string changed later by its owner does not
// change the header.
id icons(id self, SEL) {
  if (!header(self)->icons) header(self)->icons = make_array({});
  return header(self)->icons;
}
void set_icons(id self, SEL, id list) {
  if (!list || !is_kind_of(list, "NSArray")) {
    header(self)->icons = list;
    return;
  }
  std::vector<id> items;
  for (const Strong& item : as<NSArrayObj>(list)->items) items.push_back(item);
  header(self)->icons = make_array(items);
}
id title(id self, SEL) { return header(self)->title; }
void set_title(id self, SEL, id text) {
  header(self)->title = text && is_string(text) ? make_string(string_value(text)) : text;
}

Class install() {
  Class c = define_class<PLPlatterHeaderContentViewObj>("PLPlatterHeaderContentView", ensure_class("UIView"));
  def(c, "icons", icons);
  def(c, "setIcons:", set_icons);
  def(c, "title", title);
  def(c, "setTitle:", set_title);
  return c;
}

SIM_HOST_CLASS("PLPlatterHeaderContentView", Layer::SpringBoard, install);

}  // namespace

id make_header_content_view(const char* class_name, id icon, CGRect frame) {
  id v = make_view(class_name, frame);
  set_header_icon(v, icon);
  return v;
}

void set_header_icon(id header, id icon) {
  std::vector<id> list;
  if (icon) list.push_back(icon);
  send<void>(header, sel("setIcons:"), make_array(list));
}

}  // namespace sim
