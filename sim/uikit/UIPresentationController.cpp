#include "sim/uikit/UIPresentationController.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<objc_object>("UIPresentationController", ensure_class("NSObject")); }

SIM_HOST_CLASS("UIPresentationController", Layer::UIKit, install);

}  // namespace
}  // namespace sim
