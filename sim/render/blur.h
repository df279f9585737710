// The backdrop blur of materials: what has been drawn so far under a
// rectangle, blurred and painted back within the current clip.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace sim::render {

// Blurs, in place, a premultiplied ARGB32 picture of width × height pixels
// (rows `stride` pixels apart) with three passes of a box `box` pixels to
// each side, horizontally and vertically: close to a Gaussian. Edges repeat
// their outermost pixels. Each pass rounds every channel's mean to the
// nearest whole value (halves up). Boxes wider than kMaxBlurBox count as
// kMaxBlurBox, far more than any material's blur at any scale.
inline constexpr int kMaxBlurBox = 8000;
void box_blur(std::vector<uint32_t>& pixels, int width, int height, int stride, int box);

// Paints over the user-space rectangle (x, y, w, h) of `cr`, within its
// current clip, a blurred copy of what its target holds there, the blur
// reaching `radius` user-space units. Does nothing when the target is not
// an image surface or the rectangle lies outside it.
void paint_blurred_backdrop(cairo_t* cr, double x, double y, double w, double h, double radius);

}  // namespace sim::render
