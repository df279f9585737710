// _UIVisualEffectSubview: an overlay of an effect view, laid over its
// backdrop; the host gives it the effect's translucent tint for the style
// it draws in as its backgroundColor.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// A new (autoreleased) overlay view.
id make_visual_effect_subview();

}  // namespace sim
