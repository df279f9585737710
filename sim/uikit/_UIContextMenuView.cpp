#include "sim/uikit/_UIContextMenuView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  Class c = define_class<ContextMenuViewObj>("_UIContextMenuView", ensure_class("UIView"));
  add_ivar(c, "_currentCollectionView", offsetof(ContextMenuViewObj, current_collection_view));
  return c;
}

SIM_HOST_CLASS("_UIContextMenuView", Layer::UIKit, install);

}  // namespace

id make_context_menu_view(id part) {
  id v = make_view("_UIContextMenuView", CGRect{});
  as<ContextMenuViewObj>(v)->current_collection_view = part;
  add_subview(v, part);
  return v;
}

}  // namespace sim
