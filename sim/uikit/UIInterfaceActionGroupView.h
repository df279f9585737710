// UIInterfaceActionGroupView: a force-touch menu's group of actions below
// iOS 14: its background (_backgroundView, readonly backgroundView) at the
// back, and in front of it the rows in _actionSequenceView.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIInterfaceActionGroupViewObj : UIViewObj {
  Strong background_view;       // _backgroundView
  Strong action_sequence_view;  // _actionSequenceView
};

// A new (autoreleased) group view holding `background` and `sequence` (and
// both as its subviews, in that order).
id make_interface_action_group_view(id background, id sequence);

}  // namespace sim
