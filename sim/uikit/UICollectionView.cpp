// setBackgroundView: puts the new background behind every cell and takes
// the old one out, by message.
#include "sim/uikit/UICollectionView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

UICollectionViewObj* collection(id self) { return as<UICollectionViewObj>(self); }

id background_view(id self, SEL) { return collection(self)->background_view; }
void set_background_view(id self, SEL, id background) {
  Strong old = collection(self)->background_view;
  if (old.get() == background) return;
  send<void>(old.get(), sel("removeFromSuperview"));
  collection(self)->background_view = background;
  if (!background) return;
  send<void>(self, sel("addSubview:"), background);
  send<void>(self, sel("sendSubviewToBack:"), background);
}

Class install() {
  Class c = define_class<UICollectionViewObj>("UICollectionView", ensure_class("UIScrollView"));
  def(c, "backgroundView", background_view);
  def(c, "setBackgroundView:", set_background_view);
  add_ivar(c, "_backgroundView", offsetof(UICollectionViewObj, background_view), "UIView");
  return c;
}

SIM_HOST_CLASS("UICollectionView", Layer::UIKit, install);

}  // namespace

id make_collection_view(id background) {
  id v = make_view("UICollectionView", CGRect{});
  send<void>(v, sel("setBackgroundView:"), background);
  return v;
}

}  // namespace sim
