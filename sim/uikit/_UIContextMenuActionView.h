// _UIContextMenuActionView: what one row of a force-touch menu shows from
// iOS 14 (a cell's actionView): the action's title in its readonly
// titleLabel. The dumps list the properties only; their backing instance
// variable is taken to be the one the compiler makes (_titleLabel).
#pragma once

#include <string_view>

#include "sim/uikit/UIView.h"

namespace sim {

struct UIContextMenuActionViewObj : UIViewObj {
  Strong title_label;  // _titleLabel (UILabel)
};

// A new (autoreleased) action view showing `title`.
id make_context_menu_action_view(std::string_view title);

}  // namespace sim
