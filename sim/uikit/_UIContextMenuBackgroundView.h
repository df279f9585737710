// _UIContextMenuBackgroundView: the menu background that blurs what lies
// behind the menu through its visual effect view (it answers
// visualEffectView). It holds only the blur: the rows are cells of the list
// view in front of it.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct ContextMenuBackgroundViewObj : UIViewObj {
  Strong visual_effect_view;  // _visualEffectView
};

// A new (autoreleased) view holding `part` in
// _visualEffectView (and as its subview).
id make_context_menu_background_view(id part);

}  // namespace sim
