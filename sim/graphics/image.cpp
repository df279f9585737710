// CGImage: immutable pixels with the geometry and layout they were made
// with. Whatever that layout, the pixels are kept as premultiplied RGBA, the
// form that drawing reads.
#include <atomic>
#include <cstring>
#include <new>

#include "sim/graphics/cg_objects.h"
#include "sim/graphics/live_graphics.h"

namespace sim::graphics {

namespace {
std::atomic<size_t> image_memory{0};
}  // namespace

bool take_image_memory(size_t bytes, size_t cap) {
  size_t held = image_memory.load(std::memory_order_relaxed);
  do {
    if (bytes > cap || held > cap - bytes) return false;
  } while (!image_memory.compare_exchange_weak(held, held + bytes, std::memory_order_relaxed));
  return true;
}

void give_back_image_memory(size_t bytes) { image_memory.fetch_sub(bytes, std::memory_order_relaxed); }

size_t image_memory_in_use() { return image_memory.load(std::memory_order_relaxed); }

bool pixel_model_of(CGColorSpaceRef space, PixelModel* out) {
  if (!space) {
    *out = PixelModel::AlphaOnly;
    return true;
  }
  switch (space->model) {
    case kCGColorSpaceModelMonochrome: *out = PixelModel::Gray; return true;
    case kCGColorSpaceModelRGB: *out = PixelModel::RGB; return true;
    case kCGColorSpaceModelCMYK: *out = PixelModel::CMYK; return true;
    default: return false;
  }
}

CGImageRef new_image_with_rgba(size_t width, size_t height, CGColorSpaceRef space, uint32_t bitmap_info,
                               std::vector<uint8_t>&& rgba) {
  auto* image = new CGImage;
  image->width = width;
  image->height = height;
  image->bits_per_pixel = 32;
  image->bytes_per_row = width * 4;
  image->space = CGColorSpaceRetain(space);
  image->bitmap_info = bitmap_info;
  image->rgba = std::move(rgba);
  note_live(GraphicsKind::Image, image);
  return image;
}

CGImageRef new_image_from_bytes(size_t width, size_t height, size_t bytes_per_row, CGColorSpaceRef space,
                                uint32_t bitmap_info, const void* bytes) {
  PixelModel model;
  Layout layout;
  if (!bytes || width == 0 || height == 0) return nullptr;
  if (!pixel_model_of(space, &model) || !describe_layout(model, bitmap_info, &layout)) return nullptr;
  size_t min_row, total, canonical;
  if (__builtin_mul_overflow(width, size_t(layout.bytes_per_pixel), &min_row)) return nullptr;
  if (bytes_per_row == 0) bytes_per_row = min_row;
  if (bytes_per_row < min_row || __builtin_mul_overflow(bytes_per_row, height, &total) ||
      width > SIZE_MAX / 4 || __builtin_mul_overflow(width * 4, height, &canonical)) {
    return nullptr;
  }

  std::vector<uint8_t> rgba;
  try {
    rgba.resize(canonical);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  const auto* src = static_cast<const uint8_t*>(bytes);
  const bool already_canonical = model == PixelModel::RGB && layout.bytes_per_pixel == 4 &&
                                 layout.premultiplied && !layout.skip && layout.colour[0] == 0 &&
                                 layout.colour[1] == 1 && layout.colour[2] == 2 && layout.alpha == 3;
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* row = src + y * bytes_per_row;
    uint8_t* out = rgba.data() + y * width * 4;
    if (already_canonical) {
      std::memcpy(out, row, width * 4);
      continue;
    }
    for (size_t x = 0; x < width; ++x)
      read_premultiplied_rgba(layout, row + x * layout.bytes_per_pixel, out + x * 4);
  }

  CGImageRef image = new_image_with_rgba(width, height, space, bitmap_info, std::move(rgba));
  image->bits_per_pixel = size_t(layout.bytes_per_pixel) * 8;
  image->bytes_per_row = bytes_per_row;
  return image;
}

}  // namespace sim::graphics

using namespace sim::graphics;

extern "C" {

CGImageRef CGImageRetain(CGImageRef image) {
  if (image) image->refs.fetch_add(1, std::memory_order_relaxed);
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (image && image->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    CGColorSpaceRelease(image->space);
    give_back_image_memory(image->counted_bytes);
    forget_live(image);
    delete image;
  }
}

size_t CGImageGetWidth(CGImageRef image) { return image ? image->width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image ? image->height : 0; }
size_t CGImageGetBitsPerComponent(CGImageRef image) { return image ? 8 : 0; }
size_t CGImageGetBitsPerPixel(CGImageRef image) { return image ? image->bits_per_pixel : 0; }
size_t CGImageGetBytesPerRow(CGImageRef image) { return image ? image->bytes_per_row : 0; }
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image) { return image ? image->space : nullptr; }
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image) {
  return image ? (image->bitmap_info & kCGBitmapAlphaInfoMask) : kCGImageAlphaNone;
}
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image) { return image ? image->bitmap_info : 0; }

CGImageRef sim_CGImageCreateWithBytes(size_t width, size_t height, size_t bytes_per_row,
                                      CGColorSpaceRef space, uint32_t bitmap_info, const void* bytes) {
  return new_image_from_bytes(width, height, bytes_per_row, space, bitmap_info, bytes);
}

int sim_CGImageGetPixel(CGImageRef image, size_t x, size_t y, uint8_t rgba[4]) {
  if (!image || !rgba || x >= image->width || y >= image->height) return 0;
  std::memcpy(rgba, image->rgba.data() + (y * image->width + x) * 4, 4);
  return 1;
}

const uint8_t* sim_CGImageGetRow(CGImageRef image, size_t y) {
  if (!image || y >= image->height) return nullptr;
  return image->rgba.data() + y * image->width * 4;
}

}  // extern "C"
