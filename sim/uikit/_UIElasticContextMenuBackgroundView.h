// _UIElasticContextMenuBackgroundView: a menu background holding its blur in
// _visualEffectView (a UIVisualEffectView, retained; answers
// visualEffectView). The class is in iOS 14, not in 13. The dumps do not
// say who installs it: the host makes it the background view of the iOS 14
// menu's collection view (a script can ask for a plain UIView instead). Its
// insets property is not modelled: the host does not use it.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIElasticContextMenuBackgroundViewObj : UIViewObj {
  Strong visual_effect_view;  // _visualEffectView
};

// A new (autoreleased) background holding `effect_view` in
// _visualEffectView (and as its subview).
id make_elastic_context_menu_background_view(id effect_view);

}  // namespace sim
