#include "sim/uikit/_UIContextMenuActionsGroupView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  Class c =
      define_class<ContextMenuActionsGroupViewObj>("_UIContextMenuActionsGroupView", ensure_class("UIView"));
  add_ivar(c, "_backgroundView", offsetof(ContextMenuActionsGroupViewObj, background_view));
  return c;
}

SIM_HOST_CLASS("_UIContextMenuActionsGroupView", Layer::UIKit, install);

}  // namespace

id make_context_menu_actions_group_view(id part) {
  id v = make_view("_UIContextMenuActionsGroupView", CGRect{});
  as<ContextMenuActionsGroupViewObj>(v)->background_view = part;
  add_subview(v, part);
  return v;
}

}  // namespace sim
