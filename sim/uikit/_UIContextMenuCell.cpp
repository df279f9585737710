#include "sim/uikit/_UIContextMenuCell.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  Class c = define_class<ContextMenuCellObj>("_UIContextMenuCell", ensure_class("UIView"));
  add_ivar(c, "_titleView", offsetof(ContextMenuCellObj, title_view));
  return c;
}

SIM_HOST_CLASS("_UIContextMenuCell", Layer::UIKit, install);

}  // namespace

id make_context_menu_cell() {
  id cell = make_view("_UIContextMenuCell", CGRect{});
  id title = make_view("UIView", CGRect{});
  as<ContextMenuCellObj>(cell)->title_view = title;
  add_subview(cell, title);
  return cell;
}

}  // namespace sim
