// PLPlatterView : UIView. backgroundView is a retained property: setting one
// puts it behind everything else the platter shows, in place of the old
// one. customContentView is readonly; the host fills it in when it builds a
// notification with custom content (sim/springboard/NCNotificationShortLookView.h).
#include "sim/springboard/PLPlatterView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

PLPlatterViewObj* platter(id self) { return as<PLPlatterViewObj>(self); }

id background_view(id self, SEL) { return platter(self)->background_view; }
void set_background_view(id self, SEL, id v) {
  id old = platter(self)->background_view;
  if (old == v) return;
  send<void>(old, sel("removeFromSuperview"));
  platter(self)->background_view = v;
  send<void>(self, sel("insertSubview:atIndex:"), v, NSInteger{0});
}
id custom_content_view(id self, SEL) { return platter(self)->custom_content_view; }

Class install() {
  Class c = define_class<PLPlatterViewObj>("PLPlatterView", ensure_class("UIView"));
  def(c, "backgroundView", background_view);
  def(c, "setBackgroundView:", set_background_view);
  def(c, "customContentView", custom_content_view);
  add_ivar(c, "_backgroundView", offsetof(PLPlatterViewObj, background_view), "UIView");
  add_ivar(c, "_customContentView", offsetof(PLPlatterViewObj, custom_content_view), "UIView");
  return c;
}

SIM_HOST_CLASS("PLPlatterView", Layer::SpringBoard, install);

}  // namespace
}  // namespace sim
