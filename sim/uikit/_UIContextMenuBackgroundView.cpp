#include "sim/uikit/_UIContextMenuBackgroundView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

ContextMenuBackgroundViewObj* background(id self) { return as<ContextMenuBackgroundViewObj>(self); }

id visual_effect_view(id self, SEL) { return background(self)->visual_effect_view; }

Class install() {
  Class c =
      define_class<ContextMenuBackgroundViewObj>("_UIContextMenuBackgroundView", ensure_class("UIView"));
  def(c, "visualEffectView", visual_effect_view);
  add_ivar(c, "_visualEffectView", offsetof(ContextMenuBackgroundViewObj, visual_effect_view));
  return c;
}

SIM_HOST_CLASS("_UIContextMenuBackgroundView", Layer::UIKit, install);

}  // namespace

id make_context_menu_background_view(id part) {
  id v = make_view("_UIContextMenuBackgroundView", CGRect{});
  background(v)->visual_effect_view = part;
  add_subview(v, part);
  return v;
}

}  // namespace sim
