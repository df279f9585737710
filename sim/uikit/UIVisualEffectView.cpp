#include "sim/uikit/UIVisualEffectView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<UIViewObj>("UIVisualEffectView", ensure_class("UIView")); }

SIM_HOST_CLASS("UIVisualEffectView", Layer::UIKit, install);

}  // namespace

id make_visual_effect_view() { return make_view("UIVisualEffectView", CGRect{}); }

}  // namespace sim
