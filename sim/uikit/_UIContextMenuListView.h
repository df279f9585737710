// _UIContextMenuListView: the menu's list from iOS 14: a background view whose
// own subviews, or whose effect view's subviews, are the rows.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct ContextMenuListViewObj : UIViewObj {
  Strong background_view;  // _backgroundView
};

// A new (autoreleased) view holding `part` in
// _backgroundView (and as its subview).
id make_context_menu_list_view(id part);

}  // namespace sim
