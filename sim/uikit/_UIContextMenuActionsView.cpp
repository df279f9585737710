#include "sim/uikit/_UIContextMenuActionsView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  Class c = define_class<ContextMenuActionsViewObj>("_UIContextMenuActionsView", ensure_class("UIView"));
  add_ivar(c, "_currentActionGroupView", offsetof(ContextMenuActionsViewObj, current_action_group_view));
  return c;
}

SIM_HOST_CLASS("_UIContextMenuActionsView", Layer::UIKit, install);

}  // namespace

id make_context_menu_actions_view(id part) {
  id v = make_view("_UIContextMenuActionsView", CGRect{});
  as<ContextMenuActionsViewObj>(v)->current_action_group_view = part;
  add_subview(v, part);
  return v;
}

}  // namespace sim
