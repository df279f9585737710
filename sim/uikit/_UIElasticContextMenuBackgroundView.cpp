#include "sim/uikit/_UIElasticContextMenuBackgroundView.h"

#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"

namespace sim {
namespace {

UIElasticContextMenuBackgroundViewObj* background(id self) {
  return as<UIElasticContextMenuBackgroundViewObj>(self);
}

id visual_effect_view(id self, SEL) { return background(self)->visual_effect_view; }

Class install() {
  if (!sim_os_at_least(14, 0, 0)) return nullptr;  // first in iOS 14
  Class c = define_class<UIElasticContextMenuBackgroundViewObj>("_UIElasticContextMenuBackgroundView",
                                                                ensure_class("UIView"));
  def(c, "visualEffectView", visual_effect_view);
  add_ivar(c, "_visualEffectView", offsetof(UIElasticContextMenuBackgroundViewObj, visual_effect_view),
           "UIVisualEffectView");
  return c;
}

SIM_HOST_CLASS("_UIElasticContextMenuBackgroundView", Layer::UIKit, install);

}  // namespace

id make_elastic_context_menu_background_view(id effect_view) {
  id v = make_view("_UIElasticContextMenuBackgroundView", CGRect{});
  background(v)->visual_effect_view = effect_view;
  add_subview(v, effect_view);
  return v;
}

}  // namespace sim
