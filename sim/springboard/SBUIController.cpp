// SBUIController: placeholder host class.
#include "sim/process/host_classes.h"

namespace sim {
namespace {

id zoom_view(id, SEL, id, id, NSInteger, id, CGSize, id, BOOL) { return nullptr; }

Class install() {
  Class c = define_class<objc_object>("SBUIController", ensure_class("NSObject"));
  def_class(c,
            "zoomViewForDeviceApplicationSceneHandle:displayConfiguration:interfaceOrientation:"
            "snapshot:snapshotSize:statusBarDescriptor:decodeImage:",
            zoom_view);
  return c;
}

SIM_HOST_CLASS("SBUIController", Layer::SpringBoard, install);

}  // namespace
}  // namespace sim
