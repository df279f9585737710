// SBFolderIconImageView: placeholder host class; its own behaviour comes with its surface.
#include "sim/springboard/SBFolderIconImageView.h"

#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {



Class install() {
  Class c = define_class<UIViewObj>("SBFolderIconImageView", ensure_class("UIView"));

  return c;
}

SIM_HOST_CLASS("SBFolderIconImageView", Layer::SpringBoard, install);

}  // namespace

id make_folder_icon() { return make_view("SBFolderIconImageView", CGRect{}); }

}  // namespace sim
