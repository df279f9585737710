#include "sim/springboard/SBIconImageView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

id contents_image(id self, SEL) { return as<SBIconImageViewObj>(self)->image; }

Class install() {
  Class c = define_class<SBIconImageViewObj>("SBIconImageView", ensure_class("UIView"));
  def(c, "contentsImage", contents_image);
  return c;
}

SIM_HOST_CLASS("SBIconImageView", Layer::SpringBoard, install);

}  // namespace

id make_icon_image_view(id icon) {
  CGSize size = send<CGSize>(icon, sel("size"));
  id v = make_view("SBIconImageView", CGRect{{0, 0}, size});
  as<SBIconImageViewObj>(v)->image = icon;
  return v;
}

}  // namespace sim
