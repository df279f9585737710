// _UIPreviewPlatterView: its layout pass fits the collapsed views, and
// everything inside them, to the platter's bounds. It does not lay out the
// menu; that is the actions view's own layout pass.
#include "sim/uikit/_UIPreviewPlatterView.h"

#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"

namespace sim {
namespace {

constexpr double kPlatterCornerRadius = 12;

UIPreviewPlatterViewObj* platter(id self) { return as<UIPreviewPlatterViewObj>(self); }

// Every view of the subtree fills its parent: the clipping view, the
// collapsed view, the portal or source view in it, and the icon's image.
void fill(id parent, id child) {
  send<void>(child, sel("setFrame:"), send<CGRect>(parent, sel("bounds")));
  for (const Strong& grandchild : as<UIViewObj>(child)->subviews) fill(child, grandchild);
}

void layout_subviews(id self, SEL cmd) {
  send_super<void>(class_named("_UIPreviewPlatterView"), self, cmd);
  fit_platter_contents(self);
}

id collapsed_clipping_view(id self, SEL) { return platter(self)->collapsed_clipping_view; }
id collapsed_transform_view(id self, SEL) { return platter(self)->collapsed_transform_view; }

const char* clipping_class() { return sim_os_at_least(14, 0, 0) ? "_UIPlatterClippingView" : "UIView"; }

Class install() {
  Class c = define_class<UIPreviewPlatterViewObj>("_UIPreviewPlatterView", ensure_class("UIView"));
  def(c, "layoutSubviews", layout_subviews);
  def(c, "collapsedClippingView", collapsed_clipping_view);
  def(c, "collapsedTransformView", collapsed_transform_view);
  add_ivar(c, "_collapsedClippingView", offsetof(UIPreviewPlatterViewObj, collapsed_clipping_view),
           clipping_class());
  add_ivar(c, "_collapsedTransformView", offsetof(UIPreviewPlatterViewObj, collapsed_transform_view),
           "_UIPlatterTransformView");
  return c;
}

SIM_HOST_CLASS("_UIPreviewPlatterView", Layer::UIKit, install);

}  // namespace

void fit_platter_contents(id platter_view) {
  for (const Strong& child : as<UIViewObj>(platter_view)->subviews) fill(platter_view, child);
}

id make_preview_platter_view(CGRect frame, id collapsed) {
  id v = make_view("_UIPreviewPlatterView", frame);
  id clipping = make_view(clipping_class(), CGRect{});
  send<void>(clipping, sel("setClipsToBounds:"), YES);
  add_subview(clipping, collapsed);
  platter(v)->collapsed_clipping_view = clipping;
  platter(v)->collapsed_transform_view = collapsed;
  add_subview(v, clipping);
  id layer = send<id>(v, sel("layer"));
  send<void>(layer, sel("setCornerRadius:"), kPlatterCornerRadius);
  send<void>(v, sel("setClipsToBounds:"), YES);
  return v;
}

}  // namespace sim
