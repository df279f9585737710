// _UIVisualEffectBackdropView : _UIVisualEffectSubview: the part of an
// effect view that blurs what lies behind it (on the phone through its
// CABackdropLayer). It draws no colour of its own; a renderer paints it as
// the blur.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// A new (autoreleased) backdrop view.
id make_visual_effect_backdrop_view();

}  // namespace sim
