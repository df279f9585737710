// _UIContextMenuActionsView: the actions view of a force-touch preview below
// iOS 14, the menu beneath the platter, showing its current action group.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct ContextMenuActionsViewObj : UIViewObj {
  Strong current_action_group_view;  // _currentActionGroupView
};

// A new (autoreleased) view holding `part` in
// _currentActionGroupView (and as its subview).
id make_context_menu_actions_view(id part);

}  // namespace sim
