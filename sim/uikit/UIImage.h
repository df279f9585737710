// UIImage: a size in points, a scale and a bitmap (CGImage).
//
// Class methods: imageWithContentsOfFile: (a PNG at a device path, mapped
// below the process's root; the scale is 2 or 3 for a name ending in "@2x"
// or "@3x" before its extension, else 1; nil for an unreadable file) and
// imageWithCGImage:scale:orientation: (size = pixels / scale; nil for a NULL
// bitmap or a scale that is not positive; the orientation is not modelled).
// Instance methods: size, scale, CGImage.
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

// An image of one gray level in the device gray colour space, `points` in
// size at `scale` (pixels as for make_solid_image): a bitmap whose colour
// space suits no RGBA context.
id make_gray_image(uint8_t level, CGSize points, double scale);

}  // namespace sim
