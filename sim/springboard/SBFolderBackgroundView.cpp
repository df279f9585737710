// SBFolderBackgroundView: placeholder host class; its own behaviour comes with its surface.
#include "sim/springboard/SBFolderBackgroundView.h"

#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {



Class install() {
  Class c = define_class<UIViewObj>("SBFolderBackgroundView", ensure_class("UIView"));

  return c;
}

SIM_HOST_CLASS("SBFolderBackgroundView", Layer::SpringBoard, install);

}  // namespace

id make_folder_background() { return make_view("SBFolderBackgroundView", CGRect{}); }

}  // namespace sim
