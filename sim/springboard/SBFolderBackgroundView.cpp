// SBFolderBackgroundView: the backing of an open folder, with rounded
// corners. Its own layout pass is a plain view's.
#include "sim/springboard/SBFolderBackgroundView.h"

#include "sim/runtime/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {

id init_with_frame(id self, SEL cmd, CGRect frame) {
  self = send_super<id>(class_named("SBFolderBackgroundView"), self, cmd, frame);
  id layer = send<id>(self, sel("layer"));
  send<void>(layer, sel("setCornerRadius:"), 38.0);
  send<void>(self, sel("setClipsToBounds:"), YES);
  return self;
}

void layout_subviews(id self, SEL cmd) { send_super<void>(class_named("SBFolderBackgroundView"), self, cmd); }

Class install() {
  Class c = define_class<UIViewObj>("SBFolderBackgroundView", ensure_class("UIView"));
  def(c, "initWithFrame:", init_with_frame);
  def(c, "layoutSubviews", layout_subviews);
  return c;
}

SIM_HOST_CLASS("SBFolderBackgroundView", Layer::SpringBoard, install);

}  // namespace

id make_folder_background() { return make_view("SBFolderBackgroundView", CGRect{{27.5, 218}, {320, 376}}); }

}  // namespace sim
