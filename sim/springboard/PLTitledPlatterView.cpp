// PLTitledPlatterView : PLPlatterView. Its -_headerContentView answers the
// header; valueForKey:@"_headerContentView" finds that method before the
// instance variable of the same name, as on a device.
#include "sim/springboard/PLTitledPlatterView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

id header_content_view(id self, SEL) { return as<PLTitledPlatterViewObj>(self)->header_content_view; }

Class install() {
  Class c = define_class<PLTitledPlatterViewObj>("PLTitledPlatterView", ensure_class("PLPlatterView"));
  def(c, "_headerContentView", header_content_view);
  add_ivar(c, "_headerContentView", offsetof(PLTitledPlatterViewObj, header_content_view),
           "PLPlatterHeaderContentView");
  return c;
}

SIM_HOST_CLASS("PLTitledPlatterView", Layer::SpringBoard, install);

}  // namespace
}  // namespace sim
