// Draws the simulated host's views with cairo, as the screen would show
// them: frames in points (the context's user space; scale it for pixels),
// background colours composited with their alpha over what lies behind,
// corner radii, clipping (clipsToBounds / masksToBounds), hidden views
// skipped, view alpha, images stretched into their views, and what the host
// itself draws for particular views (materials, text, status bar glyphs:
// see looks.h).
//
// Everything is read from the views by message (frame, isHidden, alpha,
// backgroundColor, layer.cornerRadius, clipsToBounds, subviews, image,
// foregroundColor ...), so what is drawn is what the host reports.
#pragma once

#include <cairo.h>

#include "sim/runtime/runtime.h"

namespace sim::render {

// Draws `view` and everything in it. `origin` is where the origin of the
// view's superview's coordinate space lies in the user space of `cr`. Views
// that are not UIViews, hidden views, views with a frame that is not finite
// or lies absurdly far away (beyond 100000 points), and subview cycles are
// skipped.
void draw_view(cairo_t* cr, id view, CGPoint origin = {0, 0});

// The view's frame in the space of its outermost ancestor's superview: its
// origin moved by every ancestor's frame origin.
CGRect frame_in_root(id view);

}  // namespace sim::render
