// _UIPreviewPlatterView: its layout pass fits the collapsed transform view,
// and everything inside it, to the platter's bounds. It does not lay out the
// menu; that is its controller's business.
#include "sim/uikit/_UIPreviewPlatterView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

constexpr double kPlatterCornerRadius = 12;

UIPreviewPlatterViewObj* platter(id self) { return as<UIPreviewPlatterViewObj>(self); }

// Every view of the subtree fills its parent: the collapsed view, the portal
// or source view in it, and the icon's image.
void fill(id parent, id child) {
  send<void>(child, sel("setFrame:"), send<CGRect>(parent, sel("bounds")));
  for (const Strong& grandchild : as<UIViewObj>(child)->subviews) fill(child, grandchild);
}

void layout_subviews(id self, SEL cmd) {
  send_super<void>(class_named("_UIPreviewPlatterView"), self, cmd);
  fit_platter_contents(self);
}

Class install() {
  Class c = define_class<UIPreviewPlatterViewObj>("_UIPreviewPlatterView", ensure_class("UIView"));
  def(c, "layoutSubviews", layout_subviews);
  add_ivar(c, "_collapsedTransformView", offsetof(UIPreviewPlatterViewObj, collapsed_transform_view));
  return c;
}

SIM_HOST_CLASS("_UIPreviewPlatterView", Layer::UIKit, install);

}  // namespace

void fit_platter_contents(id platter_view) {
  if (id collapsed = platter(platter_view)->collapsed_transform_view) fill(platter_view, collapsed);
}

id make_preview_platter_view(CGRect frame, id collapsed) {
  id v = make_view("_UIPreviewPlatterView", frame);
  platter(v)->collapsed_transform_view = collapsed;
  add_subview(v, collapsed);
  id layer = send<id>(v, sel("layer"));
  send<void>(layer, sel("setCornerRadius:"), kPlatterCornerRadius);
  send<void>(v, sel("setClipsToBounds:"), YES);
  return v;
}

}  // namespace sim
