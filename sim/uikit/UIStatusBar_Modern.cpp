// UIStatusBar_Modern: placeholder host class; its own behaviour comes with its surface.
#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {

void setForegroundColor(id, SEL, id) {}

Class install() {
  Class c = define_class<UIViewObj>("UIStatusBar_Modern", ensure_class("UIView"));
  def(c, "setForegroundColor:", setForegroundColor);
  return c;
}

SIM_HOST_CLASS("UIStatusBar_Modern", Layer::UIKit, install);

}  // namespace
}  // namespace sim
