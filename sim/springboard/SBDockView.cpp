// SBDockView: placeholder host class; its own behaviour comes with its surface.
#include "sim/springboard/SBDockView.h"

#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {



Class install() {
  Class c = define_class<UIViewObj>("SBDockView", ensure_class("UIView"));

  return c;
}

SIM_HOST_CLASS("SBDockView", Layer::SpringBoard, install);

}  // namespace

id make_dock() { return make_view("SBDockView", CGRect{}); }

}  // namespace sim
