// SBFolderIconImageView: the image view of a closed folder's icon. Its own
// layout pass is a plain view's.
#include "sim/springboard/SBFolderIconImageView.h"

#include "sim/runtime/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {

void layout_subviews(id self, SEL cmd) { send_super<void>(class_named("SBFolderIconImageView"), self, cmd); }

Class install() {
  Class c = define_class<UIViewObj>("SBFolderIconImageView", ensure_class("UIView"));
  def(c, "layoutSubviews", layout_subviews);
  return c;
}

SIM_HOST_CLASS("SBFolderIconImageView", Layer::SpringBoard, install);

}  // namespace

id make_folder_icon() { return make_view("SBFolderIconImageView", CGRect{{0, 0}, {60, 60}}); }

}  // namespace sim
