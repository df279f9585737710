#include "sim/springboard/SBIconView.h"

#include "sim/runtime/host_classes.h"
#include "sim/springboard/SBIconImageView.h"

namespace sim {
namespace {

SBIconViewObj* icon_view(id self) { return as<SBIconViewObj>(self); }

// The snapshot is what the image view shows, asked of it by message.
id icon_image_snapshot(id self, SEL) {
  return send<id>(icon_view(self)->icon_image_view, sel("contentsImage"));
}

void layout_subviews(id self, SEL cmd) {
  send_super<void>(class_named("SBIconView"), self, cmd);
  send<void>(icon_view(self)->icon_image_view, sel("setFrame:"), send<CGRect>(self, sel("bounds")));
}

Class install() {
  Class c = define_class<SBIconViewObj>("SBIconView", ensure_class("UIView"));
  def(c, "iconImageSnapshot", icon_image_snapshot);
  def(c, "layoutSubviews", layout_subviews);
  add_ivar(c, "_iconImageView", offsetof(SBIconViewObj, icon_image_view), "SBIconImageView");
  return c;
}

SIM_HOST_CLASS("SBIconView", Layer::SpringBoard, install);

}  // namespace

id make_icon_view(id image) {
  id image_view = make_icon_image_view(image);
  id v = make_view("SBIconView", send<CGRect>(image_view, sel("frame")));
  icon_view(v)->icon_image_view = image_view;
  add_subview(v, image_view);
  return v;
}

}  // namespace sim
