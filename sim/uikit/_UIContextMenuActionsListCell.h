// _UIContextMenuActionsListCell : UICollectionViewCell: one row of a
// force-touch menu from iOS 14, showing its readonly actionView (a
// _UIContextMenuActionView). The class is not in iOS 13. The dumps list the
// property only; its backing instance variable is taken to be the one the
// compiler makes (_actionView). The action view is the cell's own subview
// (the cell's contentView is not modelled).
#pragma once

#include <string_view>

#include "sim/uikit/UIView.h"

namespace sim {

struct UIContextMenuActionsListCellObj : UIViewObj {
  Strong action_view;  // _actionView
};

// A new (autoreleased) cell for the action titled `title`.
id make_context_menu_actions_list_cell(std::string_view title);

}  // namespace sim
