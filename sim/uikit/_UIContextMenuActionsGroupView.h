// _UIContextMenuActionsGroupView: one group of menu actions below iOS 14: a
// blurred background (at the back) with the action rows stacked over it.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct ContextMenuActionsGroupViewObj : UIViewObj {
  Strong background_view;  // _backgroundView
};

// A new (autoreleased) view holding `part` in
// _backgroundView (and as its subview).
id make_context_menu_actions_group_view(id part);

}  // namespace sim
