#include "sim/uikit/_UIContextMenuActionView.h"

#include "sim/runtime/host_classes.h"
#include "sim/uikit/UILabel.h"

namespace sim {
namespace {

id title_label(id self, SEL) { return as<UIContextMenuActionViewObj>(self)->title_label; }

Class install() {
  Class c = define_class<UIContextMenuActionViewObj>("_UIContextMenuActionView", ensure_class("UIView"));
  def(c, "titleLabel", title_label);
  add_ivar(c, "_titleLabel", offsetof(UIContextMenuActionViewObj, title_label), "UILabel");
  return c;
}

SIM_HOST_CLASS("_UIContextMenuActionView", Layer::UIKit, install);

}  // namespace

id make_context_menu_action_view(std::string_view title) {
  id v = make_view("_UIContextMenuActionView", CGRect{});
  id label = make_label(CGRect{}, title);
  as<UIContextMenuActionViewObj>(v)->title_label = label;
  add_subview(v, label);
  return v;
}

}  // namespace sim
