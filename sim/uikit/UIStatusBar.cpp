// UIStatusBar: placeholder host class; its own behaviour comes with its surface.
#include "sim/uikit/UIStatusBar.h"

#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {

void setForegroundColor(id, SEL, id) {}

Class install() {
  Class c = define_class<UIViewObj>("UIStatusBar", ensure_class("UIView"));
  def(c, "setForegroundColor:", setForegroundColor);
  return c;
}

SIM_HOST_CLASS("UIStatusBar", Layer::UIKit, install);

}  // namespace

id make_status_bar(bool modern, NSInteger) { return make_view(modern ? "UIStatusBar_Modern" : "UIStatusBar", CGRect{}); }

}  // namespace sim
