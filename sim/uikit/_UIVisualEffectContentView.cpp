#include "sim/uikit/_UIVisualEffectContentView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  return define_class<UIViewObj>("_UIVisualEffectContentView", ensure_class("_UIVisualEffectSubview"));
}

SIM_HOST_CLASS("_UIVisualEffectContentView", Layer::UIKit, install);

}  // namespace

id make_visual_effect_content_view() { return make_view("_UIVisualEffectContentView", CGRect{}); }

}  // namespace sim
