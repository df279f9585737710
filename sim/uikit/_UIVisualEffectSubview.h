// _UIVisualEffectSubview: one of the views an effect view stacks over what
// lies behind it. Used as it is, it is an overlay: the host gives it the
// effect's translucent tint for the style it draws in as its
// backgroundColor. The backdrop and the content view are its subclasses.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// A new (autoreleased) overlay view.
id make_visual_effect_subview();

}  // namespace sim
