// UIVisualEffectView: a view that blurs what lies behind it. The simulator
// does not blur; the host gives the view a translucent backgroundColor for
// the style it draws in, which a renderer paints as the blur's tint.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// A new (autoreleased) effect view.
id make_visual_effect_view();

}  // namespace sim
