#include "sim/uikit/UISUserInterfaceStyleMode.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  return define_class<UISUserInterfaceStyleModeObj>("UISUserInterfaceStyleMode", ensure_class("NSObject"));
}

SIM_HOST_CLASS("UISUserInterfaceStyleMode", Layer::UIKit, install);

}  // namespace

id make_style_mode(NSInteger mode) {
  id made = alloc_instance(ensure_class("UISUserInterfaceStyleMode"));
  as<UISUserInterfaceStyleModeObj>(made)->mode_value = mode;
  return made;
}

}  // namespace sim
