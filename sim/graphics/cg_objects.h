// The objects behind CGImageRef, CGColorSpaceRef and CGContextRef, and the
// pixel-layout description that images and bitmap contexts share. Internal to
// sim/graphics.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/graphics/CoreGraphics.h"

namespace sim::graphics {

// What a pixel holds, whatever the order of its bytes.
enum class PixelModel : uint8_t { Gray, RGB, CMYK, AlphaOnly };

// Where each component of a pixel lies in memory, after the byte order has
// been applied. Offsets are byte offsets within one pixel; -1 means absent.
struct Layout {
  PixelModel model = PixelModel::RGB;
  uint8_t bytes_per_pixel = 0;
  // Gray: colour[0]; RGB: R, G, B; CMYK: C, M, Y, K.
  int8_t colour[4] = {-1, -1, -1, -1};
  // The alpha byte, or the padding byte of a NoneSkip layout (see skip).
  int8_t alpha = -1;
  bool skip = false;           // the alpha byte is padding: read as opaque, written 255
  bool premultiplied = false;  // colours already multiplied by alpha
};

// The layout that (colour model, bitmap info, 8 bits per component) describes,
// or false when the combination is not a layout the simulator knows at all.
// Contexts accept a subset of these; see context_layout_accepted.
bool describe_layout(PixelModel model, uint32_t bitmap_info, Layout* out);
bool context_layout_accepted(PixelModel model, uint32_t bitmap_info);

// Premultiplied R, G, B, A of the pixel at p, read through layout.
void read_premultiplied_rgba(const Layout& layout, const uint8_t* p, uint8_t rgba[4]);

// The pixel model of a colour space; NULL stands for alpha-only pixels.
// False for a space whose model has no pixel layout here.
bool pixel_model_of(CGColorSpaceRef space, PixelModel* out);

// A new image over already premultiplied, packed R, G, B, A rows, which it
// takes over. It reports the given colour space (retained), bitmap info and
// geometry of 32 bits per pixel, packed rows.
CGImageRef new_image_with_rgba(size_t width, size_t height, CGColorSpaceRef space, uint32_t bitmap_info,
                               std::vector<uint8_t>&& rgba);

// Counts pixel memory against a process-wide cap: false, taking nothing,
// when `bytes` more would pass `cap`. An image holding counted memory gives
// it back through its `counted_bytes` when it is released.
bool take_image_memory(size_t bytes, size_t cap);
void give_back_image_memory(size_t bytes);
size_t image_memory_in_use();

// A new image copied from pixel bytes in the given layout, or NULL when the
// layout or geometry is refused.
CGImageRef new_image_from_bytes(size_t width, size_t height, size_t bytes_per_row, CGColorSpaceRef space,
                                uint32_t bitmap_info, const void* bytes);

}  // namespace sim::graphics

struct CGColorSpace {
  std::atomic<uint32_t> refs{1};
  CGColorSpaceModel model = kCGColorSpaceModelRGB;
};

struct CGImage {
  std::atomic<uint32_t> refs{1};
  size_t width = 0;
  size_t height = 0;
  size_t bits_per_pixel = 0;
  size_t bytes_per_row = 0;
  CGColorSpaceRef space = nullptr;  // retained; NULL for alpha-only images
  uint32_t bitmap_info = 0;
  // The picture as premultiplied R, G, B, A bytes, rows packed (width x 4
  // bytes), row 0 at the top. Drawing reads only this.
  std::vector<uint8_t> rgba;
  size_t counted_bytes = 0;  // given back by the last release (take_image_memory)
};

struct CGContext {
  std::atomic<uint32_t> refs{1};
  uint8_t* data = nullptr;
  bool owns_data = false;  // allocated by CGBitmapContextCreate, freed at release
  size_t width = 0;
  size_t height = 0;
  size_t bytes_per_row = 0;
  CGColorSpaceRef space = nullptr;  // retained
  uint32_t bitmap_info = 0;
  sim::graphics::Layout layout;
};
