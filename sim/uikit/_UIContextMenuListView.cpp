#include "sim/uikit/_UIContextMenuListView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  Class c = define_class<ContextMenuListViewObj>("_UIContextMenuListView", ensure_class("UIView"));
  add_ivar(c, "_backgroundView", offsetof(ContextMenuListViewObj, background_view));
  return c;
}

SIM_HOST_CLASS("_UIContextMenuListView", Layer::UIKit, install);

}  // namespace

id make_context_menu_list_view(id part) {
  id v = make_view("_UIContextMenuListView", CGRect{});
  as<ContextMenuListViewObj>(v)->background_view = part;
  add_subview(v, part);
  return v;
}

}  // namespace sim
