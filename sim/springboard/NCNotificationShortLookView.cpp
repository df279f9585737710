// NCNotificationShortLookView: placeholder host class; its own behaviour comes with its surface.
#include "sim/springboard/NCNotificationShortLookView.h"

#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {



Class install() {
  Class c = define_class<UIViewObj>("NCNotificationShortLookView", ensure_class("UIView"));

  return c;
}

SIM_HOST_CLASS("NCNotificationShortLookView", Layer::SpringBoard, install);

}  // namespace

id make_banner(id, CGRect frame, bool) { return make_view("NCNotificationShortLookView", frame); }

}  // namespace sim
