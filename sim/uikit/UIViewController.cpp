// UIViewController: title, setTitle:, parentViewController, and
// navigationController, which is the nearest UINavigationController among
// the controller's parents, as UIKit answers it.
#include "sim/uikit/UIViewController.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

UIViewControllerObj* vc(id self) { return as<UIViewControllerObj>(self); }

id title(id self, SEL) { return vc(self)->title; }
void set_title(id self, SEL, id t) { vc(self)->title = t; }
id parent_view_controller(id self, SEL) { return vc(self)->parent; }

id navigation_controller(id self, SEL) {
  Class navigation = class_named("UINavigationController");
  for (id c = vc(self)->parent; c; c = vc(c)->parent)
    if (is_kind_of(c, navigation)) return c;
  return nullptr;
}

Class install() {
  Class c = define_class<UIViewControllerObj>("UIViewController", ensure_class("UIResponder"));
  add_ivar(c, "_parentViewController", offsetof(UIViewControllerObj, parent), "UIViewController",
           Ownership::Weak);
  add_ivar(c, "_title", offsetof(UIViewControllerObj, title), "NSString");
  def(c, "title", title);
  def(c, "setTitle:", set_title);
  def(c, "parentViewController", parent_view_controller);
  def(c, "navigationController", navigation_controller);
  return c;
}

SIM_HOST_CLASS("UIViewController", Layer::UIKit, install);

}  // namespace
}  // namespace sim
