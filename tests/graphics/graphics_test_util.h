// Helpers shared by the graphics tests: owning handles and image makers.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/graphics/CoreGraphics.h"

namespace gfxtest {

struct ImageDeleter {
  void operator()(CGImage* image) const { CGImageRelease(image); }
};
struct SpaceDeleter {
  void operator()(CGColorSpace* space) const { CGColorSpaceRelease(space); }
};
struct ContextDeleter {
  void operator()(CGContext* context) const { CGContextRelease(context); }
};
using Image = std::unique_ptr<CGImage, ImageDeleter>;
using Space = std::unique_ptr<CGColorSpace, SpaceDeleter>;
using Context = std::unique_ptr<CGContext, ContextDeleter>;

using RGBA = std::array<uint8_t, 4>;  // premultiplied

inline Space rgb_space() { return Space(CGColorSpaceCreateDeviceRGB()); }
inline Space gray_space() { return Space(CGColorSpaceCreateDeviceGray()); }

// An RGB image from premultiplied R, G, B, A bytes, rows packed.
inline Image image_from_rgba(size_t width, size_t height, const std::vector<uint8_t>& rgba) {
  Space rgb = rgb_space();
  return Image(sim_CGImageCreateWithBytes(width, height, width * 4, rgb.get(), kCGImageAlphaPremultipliedLast,
                                          rgba.data()));
}

inline Image uniform_image(size_t width, size_t height, RGBA colour) {
  std::vector<uint8_t> rgba(width * height * 4);
  for (size_t i = 0; i < rgba.size(); i += 4) {
    for (int k = 0; k < 4; ++k) rgba[i + k] = colour[k];
  }
  return image_from_rgba(width, height, rgba);
}

// A context with its own zeroed buffer, bytes R, G, B, A in memory.
inline Context rgba_context(size_t width, size_t height, uint32_t info = kCGImageAlphaPremultipliedLast) {
  Space rgb = rgb_space();
  return Context(CGBitmapContextCreate(nullptr, width, height, 8, 0, rgb.get(), info));
}

inline RGBA pixel_at(CGContextRef context, size_t x, size_t y) {
  const auto* p = static_cast<const uint8_t*>(CGBitmapContextGetData(context)) +
                  y * CGBitmapContextGetBytesPerRow(context) + x * 4;
  return {p[0], p[1], p[2], p[3]};
}

}  // namespace gfxtest
