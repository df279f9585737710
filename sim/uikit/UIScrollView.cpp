#include "sim/uikit/UIScrollView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<UIViewObj>("UIScrollView", ensure_class("UIView")); }

SIM_HOST_CLASS("UIScrollView", Layer::UIKit, install);

}  // namespace
}  // namespace sim
