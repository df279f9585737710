#include "sim/uikit/_UIPlatterClippingView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<UIViewObj>("_UIPlatterClippingView", ensure_class("UIView")); }

SIM_HOST_CLASS("_UIPlatterClippingView", Layer::UIKit, install);

}  // namespace
}  // namespace sim
