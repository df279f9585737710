#include "sim/uikit/UIInterfaceActionGroupView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

UIInterfaceActionGroupViewObj* group(id self) { return as<UIInterfaceActionGroupViewObj>(self); }

id background_view(id self, SEL) { return group(self)->background_view; }

Class install() {
  Class c = define_class<UIInterfaceActionGroupViewObj>("UIInterfaceActionGroupView", ensure_class("UIView"));
  def(c, "backgroundView", background_view);
  add_ivar(c, "_backgroundView", offsetof(UIInterfaceActionGroupViewObj, background_view), "UIView");
  add_ivar(c, "_actionSequenceView", offsetof(UIInterfaceActionGroupViewObj, action_sequence_view),
           "_UIInterfaceActionRepresentationsSequenceView");
  return c;
}

SIM_HOST_CLASS("UIInterfaceActionGroupView", Layer::UIKit, install);

}  // namespace

id make_interface_action_group_view(id background, id sequence) {
  id v = make_view("UIInterfaceActionGroupView", CGRect{});
  group(v)->background_view = background;
  group(v)->action_sequence_view = sequence;
  add_subview(v, background);
  add_subview(v, sequence);
  return v;
}

}  // namespace sim
