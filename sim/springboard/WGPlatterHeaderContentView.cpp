#include "sim/springboard/WGPlatterHeaderContentView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  return define_class<PLPlatterHeaderContentViewObj>("WGPlatterHeaderContentView",
                                                     ensure_class("PLPlatterHeaderContentView"));
}

SIM_HOST_CLASS("WGPlatterHeaderContentView", Layer::SpringBoard, install);

}  // namespace
}  // namespace sim
