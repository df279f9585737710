// UINavigationController: initWithRootViewController:,
// pushViewController:animated:, popViewControllerAnimated:,
// topViewController and viewControllers. A pushed controller's parent is
// the navigation controller. Nothing animates: the host shows no transitions.
#include "sim/uikit/UINavigationController.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

UINavigationControllerObj* nav(id self) { return as<UINavigationControllerObj>(self); }

void push(id self, SEL, id controller, BOOL) {
  if (!controller) fatal("-[UINavigationController pushViewController:animated:]: nil view controller");
  if (!is_kind_of(controller, "UIViewController"))
    fatal("-[UINavigationController pushViewController:animated:]: " + class_name_of(controller) +
          " is not a view controller");
  nav(self)->stack.emplace_back(controller);
  as<UIViewControllerObj>(controller)->parent = self;
}

id init_with_root(id self, SEL cmd, id root) {
  push(self, cmd, root, NO);
  return self;
}

id pop(id self, SEL, BOOL) {
  auto& stack = nav(self)->stack;
  if (stack.size() < 2) return nullptr;  // the root stays
  Strong top = stack.back();
  stack.pop_back();
  as<UIViewControllerObj>(top)->parent = nullptr;
  return objc_autorelease(objc_retain(top));
}

id top(id self, SEL) { return nav(self)->stack.empty() ? nullptr : id(nav(self)->stack.back()); }

id view_controllers(id self, SEL) {
  std::vector<id> items(nav(self)->stack.begin(), nav(self)->stack.end());
  return make_array(items);
}

Class install() {
  Class c =
      define_class<UINavigationControllerObj>("UINavigationController", ensure_class("UIViewController"));
  def(c, "initWithRootViewController:", init_with_root);
  def(c, "pushViewController:animated:", push);
  def(c, "popViewControllerAnimated:", pop);
  def(c, "topViewController", top);
  def(c, "viewControllers", view_controllers);
  return c;
}

SIM_HOST_CLASS("UINavigationController", Layer::UIKit, install);

}  // namespace
}  // namespace sim
