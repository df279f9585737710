#include "sim/uikit/_UIContextMenuActionsListCell.h"

#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"
#include "sim/uikit/_UIContextMenuActionView.h"

namespace sim {
namespace {

id action_view(id self, SEL) { return as<UIContextMenuActionsListCellObj>(self)->action_view; }

Class install() {
  if (!sim_os_at_least(14, 0, 0)) return nullptr;  // first in iOS 14
  Class c = define_class<UIContextMenuActionsListCellObj>("_UIContextMenuActionsListCell",
                                                          ensure_class("UICollectionViewCell"));
  def(c, "actionView", action_view);
  add_ivar(c, "_actionView", offsetof(UIContextMenuActionsListCellObj, action_view),
           "_UIContextMenuActionView");
  return c;
}

SIM_HOST_CLASS("_UIContextMenuActionsListCell", Layer::UIKit, install);

}  // namespace

id make_context_menu_actions_list_cell(std::string_view title) {
  id cell = make_view("_UIContextMenuActionsListCell", CGRect{});
  id action = make_context_menu_action_view(title);
  as<UIContextMenuActionsListCellObj>(cell)->action_view = action;
  add_subview(cell, action);
  return cell;
}

}  // namespace sim
