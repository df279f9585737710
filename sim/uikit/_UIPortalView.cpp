#include "sim/uikit/_UIPortalView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

UIPortalViewObj* portal(id self) { return as<UIPortalViewObj>(self); }

id source_view(id self, SEL) { return portal(self)->source_view; }

Class install() {
  Class c = define_class<UIPortalViewObj>("_UIPortalView", ensure_class("UIView"));
  def(c, "sourceView", source_view);
  add_ivar(c, "_sourceView", offsetof(UIPortalViewObj, source_view), "UIView", Ownership::Weak);
  return c;
}

SIM_HOST_CLASS("_UIPortalView", Layer::UIKit, install);

}  // namespace

id make_portal_view(id source) {
  id v = make_view("_UIPortalView", CGRect{});
  portal(v)->source_view = source;
  return v;
}

}  // namespace sim
