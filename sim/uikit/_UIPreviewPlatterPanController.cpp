#include "sim/uikit/_UIPreviewPlatterPanController.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

PlatterControllerObj* controller(id self) { return as<PlatterControllerObj>(self); }

id init_with_views(id self, SEL, id container, id platter, id actions) {
  controller(self)->container_view = container;
  controller(self)->platter_view = platter;
  controller(self)->actions_view = actions;
  return self;
}

id container_view(id self, SEL) { return controller(self)->container_view; }
id platter_view(id self, SEL) { return controller(self)->platter_view; }
id actions_view(id self, SEL) { return controller(self)->actions_view; }
void set_platter_view(id self, SEL, id platter) { controller(self)->platter_view = platter; }

Class install() {
  Class c = define_class<PlatterControllerObj>("_UIPreviewPlatterPanController", ensure_class("NSObject"));
  def(c, "initWithContainerView:platterView:actionsView:", init_with_views);
  def(c, "containerView", container_view);
  def(c, "platterView", platter_view);
  def(c, "setPlatterView:", set_platter_view);
  def(c, "actionsView", actions_view);
  add_ivar(c, "_containerView", offsetof(PlatterControllerObj, container_view), "UIView", Ownership::Weak);
  add_ivar(c, "_platterView", offsetof(PlatterControllerObj, platter_view), "UIView", Ownership::Weak);
  add_ivar(c, "_actionsView", offsetof(PlatterControllerObj, actions_view), "UIView", Ownership::Weak);
  return c;
}

SIM_HOST_CLASS("_UIPreviewPlatterPanController", Layer::UIKit, install);

}  // namespace
}  // namespace sim
