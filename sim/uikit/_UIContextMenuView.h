// _UIContextMenuView: the actions view of a force-touch preview from iOS 14,
// the menu beneath the platter, showing its current list.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct ContextMenuViewObj : UIViewObj {
  Strong current_collection_view;  // _currentCollectionView
};

// A new (autoreleased) view holding `part` in
// _currentCollectionView (and as its subview).
id make_context_menu_view(id part);

}  // namespace sim
