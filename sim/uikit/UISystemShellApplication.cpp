#include "sim/uikit/UISystemShellApplication.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  return define_class<objc_object>("UISystemShellApplication", ensure_class("UIApplication"));
}

SIM_HOST_CLASS("UISystemShellApplication", Layer::UIKit, install);

}  // namespace
}  // namespace sim
