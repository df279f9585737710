#include "sim/uikit/_UIScrollsToTopInitiatorView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<UIViewObj>("_UIScrollsToTopInitiatorView", ensure_class("UIView")); }

SIM_HOST_CLASS("_UIScrollsToTopInitiatorView", Layer::UIKit, install);

}  // namespace
}  // namespace sim
