#include "sim/uikit/_UIVisualEffectBackdropView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  return define_class<UIViewObj>("_UIVisualEffectBackdropView", ensure_class("_UIVisualEffectSubview"));
}

SIM_HOST_CLASS("_UIVisualEffectBackdropView", Layer::UIKit, install);

}  // namespace

id make_visual_effect_backdrop_view() { return make_view("_UIVisualEffectBackdropView", CGRect{}); }

}  // namespace sim
