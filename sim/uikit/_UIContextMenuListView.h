// _UIContextMenuListView: the menu's list from iOS 14 (a collection view on
// the phone): its background view at the back, the rows as its cells in
// front.
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
