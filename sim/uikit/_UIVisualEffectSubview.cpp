#include "sim/uikit/_UIVisualEffectSubview.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<UIViewObj>("_UIVisualEffectSubview", ensure_class("UIView")); }

SIM_HOST_CLASS("_UIVisualEffectSubview", Layer::UIKit, install);

}  // namespace

id make_visual_effect_subview() { return make_view("_UIVisualEffectSubview", CGRect{}); }

}  // namespace sim
