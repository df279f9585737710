// UIVisualEffectView: a view that blurs what lies behind it. Its subviews,
// back to front: the backdrop (_UIVisualEffectBackdropView, which a
// renderer paints as the blur), an overlay (_UIVisualEffectSubview) that
// carries the effect's translucent tint as its backgroundColor, and the
// content view (_UIVisualEffectContentView, readonly contentView).
//
// The phone manages these through its _backgroundHost and _contentHost
// (_UIVisualEffectHost), which the simulator does not model: the content
// view is kept in a member that the runtime lists as no instance variable.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIVisualEffectViewObj : UIViewObj {
  Strong content_view;  // contentView (held by the phone's _contentHost)
};

// A new (autoreleased) effect view with its backdrop, overlay and content
// view.
id make_visual_effect_view();

// The effect view's overlays: its subviews of exactly the class
// _UIVisualEffectSubview (not the backdrop or the content view).
std::vector<id> visual_effect_overlays(id effect_view);

}  // namespace sim
