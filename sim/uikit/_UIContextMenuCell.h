// _UIContextMenuCell: one row of a force-touch menu. Its title is drawn as a
// placeholder bar (_titleView) in the text colour of the style it draws in.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct ContextMenuCellObj : UIViewObj {
  Strong title_view;  // _titleView
};

// A new (autoreleased) row with its title placeholder.
id make_context_menu_cell();

}  // namespace sim
