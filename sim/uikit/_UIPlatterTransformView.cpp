#include "sim/uikit/_UIPlatterTransformView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

UIPlatterTransformViewObj* transform(id self) { return as<UIPlatterTransformViewObj>(self); }

id source_view(id self, SEL) { return transform(self)->source_view; }
id portal_view(id self, SEL) { return transform(self)->portal_view; }

Class install() {
  Class c = define_class<UIPlatterTransformViewObj>("_UIPlatterTransformView", ensure_class("UIView"));
  def(c, "sourceView", source_view);
  def(c, "portalView", portal_view);
  add_ivar(c, "_sourceView", offsetof(UIPlatterTransformViewObj, source_view), "UIView");
  add_ivar(c, "_portalView", offsetof(UIPlatterTransformViewObj, portal_view), "_UIPortalView");
  return c;
}

SIM_HOST_CLASS("_UIPlatterTransformView", Layer::UIKit, install);

}  // namespace

id make_platter_transform_view(id source, id portal) {
  id v = make_view("_UIPlatterTransformView", CGRect{});
  if (portal) {
    transform(v)->portal_view = portal;
    add_subview(v, portal);
  } else {
    transform(v)->source_view = source;
    add_subview(v, source);
  }
  return v;
}

}  // namespace sim
