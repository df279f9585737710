// _UIVisualEffectContentView : _UIVisualEffectSubview: an effect view's
// content view, in front of its backdrop and overlays, where the effect
// view's own contents go.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// A new (autoreleased) content view.
id make_visual_effect_content_view();

}  // namespace sim
