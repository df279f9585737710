// CGImage: immutable pixels with the geometry and layout they were made
// with. Whatever that layout, the pixels are kept as premultiplied RGBA, the
// form that drawing reads.
#include <cstring>
#include <new>

#include "sim/graphics/cg_objects.h"

namespace sim::graphics {

bool PixelModelOf(CGColorSpaceRef space, PixelModel* out) {
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

CGImageRef NewImageWithRGBA(size_t width, size_t height, CGColorSpaceRef space, uint32_t bitmapInfo,
                            std::vector<uint8_t>&& rgba) {
  auto* image = new CGImage;
  image->width = width;
  image->height = height;
  image->bitsPerPixel = 32;
  image->bytesPerRow = width * 4;
  image->space = CGColorSpaceRetain(space);
  image->bitmapInfo = bitmapInfo;
  image->rgba = std::move(rgba);
  return image;
}

CGImageRef NewImageFromBytes(size_t width, size_t height, size_t bytesPerRow, CGColorSpaceRef space,
                             uint32_t bitmapInfo, const void* bytes) {
  PixelModel model;
  Layout layout;
  if (!bytes || width == 0 || height == 0) return nullptr;
  if (!PixelModelOf(space, &model) || !DescribeLayout(model, bitmapInfo, &layout)) return nullptr;
  size_t minRow, total, canonical;
  if (__builtin_mul_overflow(width, size_t(layout.bytesPerPixel), &minRow)) return nullptr;
  if (bytesPerRow == 0) bytesPerRow = minRow;
  if (bytesPerRow < minRow || __builtin_mul_overflow(bytesPerRow, height, &total) || width > SIZE_MAX / 4 ||
      __builtin_mul_overflow(width * 4, height, &canonical)) {
    return nullptr;
  }

  std::vector<uint8_t> rgba;
  try {
    rgba.resize(canonical);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  const auto* src = static_cast<const uint8_t*>(bytes);
  const bool alreadyCanonical = model == PixelModel::RGB && layout.bytesPerPixel == 4 &&
                                layout.premultiplied && !layout.skip && layout.colour[0] == 0 &&
                                layout.colour[1] == 1 && layout.colour[2] == 2 && layout.alpha == 3;
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* row = src + y * bytesPerRow;
    uint8_t* out = rgba.data() + y * width * 4;
    if (alreadyCanonical) {
      std::memcpy(out, row, width * 4);
      continue;
    }
    for (size_t x = 0; x < width; ++x) ReadPremultipliedRGBA(layout, row + x * layout.bytesPerPixel, out + x * 4);
  }

  CGImageRef image = NewImageWithRGBA(width, height, space, bitmapInfo, std::move(rgba));
  image->bitsPerPixel = size_t(layout.bytesPerPixel) * 8;
  image->bytesPerRow = bytesPerRow;
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
    delete image;
  }
}

size_t CGImageGetWidth(CGImageRef image) { return image ? image->width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image ? image->height : 0; }
size_t CGImageGetBitsPerComponent(CGImageRef image) { return image ? 8 : 0; }
size_t CGImageGetBitsPerPixel(CGImageRef image) { return image ? image->bitsPerPixel : 0; }
size_t CGImageGetBytesPerRow(CGImageRef image) { return image ? image->bytesPerRow : 0; }
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image) { return image ? image->space : nullptr; }
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image) {
  return image ? (image->bitmapInfo & kCGBitmapAlphaInfoMask) : kCGImageAlphaNone;
}
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image) { return image ? image->bitmapInfo : 0; }

CGImageRef sim_CGImageCreateWithBytes(size_t width, size_t height, size_t bytesPerRow, CGColorSpaceRef space,
                                      uint32_t bitmapInfo, const void* bytes) {
  return NewImageFromBytes(width, height, bytesPerRow, space, bitmapInfo, bytes);
}

int sim_CGImageGetPixel(CGImageRef image, size_t x, size_t y, uint8_t rgba[4]) {
  if (!image || !rgba || x >= image->width || y >= image->height) return 0;
  std::memcpy(rgba, image->rgba.data() + (y * image->width + x) * 4, 4);
  return 1;
}

}  // extern "C"
