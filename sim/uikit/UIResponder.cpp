#include "sim/uikit/UIResponder.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<objc_object>("UIResponder", ensure_class("NSObject")); }

SIM_HOST_CLASS("UIResponder", Layer::UIKit, install);

}  // namespace
}  // namespace sim
