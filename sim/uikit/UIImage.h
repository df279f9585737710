// UIImage: a size in points, a scale and a bitmap (CGImage).
#pragma once

#include <string>

#include "sim/graphics/CoreGraphics.h"
#include "sim/runtime/runtime.h"

namespace sim {

struct UIImageObj : objc_object {
  CGSize size{};
  double scale = 1;
  CGImageRef cg_image = nullptr;  // owned; null for an image without a bitmap
  ~UIImageObj() { CGImageRelease(cg_image); }
};

// A new autoreleased image over a bitmap (retained), with its point size.
id make_image(CGImageRef bitmap, CGSize points, double scale);

// An image of one premultiplied colour, `points` in size at `scale`: the
// bitmap has ceil(points × scale) pixels a side (none when that is 0).
id make_solid_image(uint8_t r, uint8_t g, uint8_t b, uint8_t a, CGSize points, double scale);

// An image decoded from a PNG file (size = pixels / scale), or nil with a
// message in `error`.
id make_png_image(const std::string& path, double scale, std::string* error);

}  // namespace sim
