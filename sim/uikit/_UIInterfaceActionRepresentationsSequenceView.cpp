#include "sim/uikit/_UIInterfaceActionRepresentationsSequenceView.h"

#include "sim/runtime/host_classes.h"
#include "sim/uikit/UILabel.h"

namespace sim {
namespace {

Class install() {
  return define_class<UIViewObj>("_UIInterfaceActionRepresentationsSequenceView", ensure_class("UIView"));
}

SIM_HOST_CLASS("_UIInterfaceActionRepresentationsSequenceView", Layer::UIKit, install);

}  // namespace

id make_action_sequence_view(const std::vector<std::string>& titles) {
  id sequence = make_view("_UIInterfaceActionRepresentationsSequenceView", CGRect{});
  for (const std::string& title : titles) {
    id row = make_view("UIView", CGRect{});
    add_subview(row, make_label(CGRect{}, title));
    add_subview(sequence, row);
  }
  return sequence;
}

}  // namespace sim
