// SBFolderIconImageView : SBIconImageView: the image view of a closed
// folder's icon. Its own layout pass is its superclass's; it shows no
// contents image of its own (the renderer draws the miniature grid).
#include "sim/springboard/SBFolderIconImageView.h"

#include "sim/runtime/host_classes.h"
#include "sim/springboard/SBIconImageView.h"

namespace sim {
namespace {

void layout_subviews(id self, SEL cmd) { send_super<void>(class_named("SBFolderIconImageView"), self, cmd); }

Class install() {
  Class c = define_class<SBIconImageViewObj>("SBFolderIconImageView", ensure_class("SBIconImageView"));
  def(c, "layoutSubviews", layout_subviews);
  return c;
}

SIM_HOST_CLASS("SBFolderIconImageView", Layer::SpringBoard, install);

}  // namespace

id make_folder_icon() { return make_view("SBFolderIconImageView", CGRect{{0, 0}, {60, 60}}); }

}  // namespace sim
