// _UIPreviewPlatterView: placeholder host class; its own behaviour comes with its surface.
#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {



Class install() {
  Class c = define_class<UIViewObj>("_UIPreviewPlatterView", ensure_class("UIView"));

  return c;
}

SIM_HOST_CLASS("_UIPreviewPlatterView", Layer::UIKit, install);

}  // namespace
}  // namespace sim
