// Bitmap contexts: a pixel buffer (the caller's or their own) described by a
// geometry, a colour space and a bitmap-info value.
#include <cstdint>
#include <cstdlib>

#include "sim/graphics/cg_objects.h"
#include "sim/graphics/live_graphics.h"

using namespace sim::graphics;

extern "C" {

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bits_per_component,
                                   size_t bytes_per_row, CGColorSpaceRef space, uint32_t bitmap_info) {
  PixelModel model;
  Layout layout;
  if (!space || bits_per_component != 8 || width == 0 || height == 0) return nullptr;
  if (!pixel_model_of(space, &model) || !context_layout_accepted(model, bitmap_info)) return nullptr;
  describe_layout(model, bitmap_info, &layout);

  size_t min_row, total;
  if (__builtin_mul_overflow(width, size_t(layout.bytes_per_pixel), &min_row)) return nullptr;
  if (bytes_per_row == 0) bytes_per_row = min_row;
  if (bytes_per_row < min_row || __builtin_mul_overflow(bytes_per_row, height, &total) ||
      total > size_t(PTRDIFF_MAX)) {
    return nullptr;
  }

  auto* buffer = static_cast<uint8_t*>(data);
  const bool owns = buffer == nullptr;
  if (owns) {
    buffer = static_cast<uint8_t*>(std::calloc(1, total));
    if (!buffer) return nullptr;
  }
  auto* context = new CGContext;
  context->data = buffer;
  context->owns_data = owns;
  context->width = width;
  context->height = height;
  context->bytes_per_row = bytes_per_row;
  context->space = CGColorSpaceRetain(space);
  context->bitmap_info = bitmap_info;
  context->layout = layout;
  sim::graphics::note_live(sim::graphics::GraphicsKind::Context, context);
  return context;
}

void* CGBitmapContextGetData(CGContextRef context) { return context ? context->data : nullptr; }
size_t CGBitmapContextGetWidth(CGContextRef context) { return context ? context->width : 0; }
size_t CGBitmapContextGetHeight(CGContextRef context) { return context ? context->height : 0; }
size_t CGBitmapContextGetBytesPerRow(CGContextRef context) { return context ? context->bytes_per_row : 0; }
size_t CGBitmapContextGetBitsPerComponent(CGContextRef context) { return context ? 8 : 0; }
size_t CGBitmapContextGetBitsPerPixel(CGContextRef context) {
  return context ? size_t(context->layout.bytes_per_pixel) * 8 : 0;
}
CGColorSpaceRef CGBitmapContextGetColorSpace(CGContextRef context) {
  return context ? context->space : nullptr;
}
CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef context) {
  return context ? (context->bitmap_info & kCGBitmapAlphaInfoMask) : kCGImageAlphaNone;
}
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef context) { return context ? context->bitmap_info : 0; }

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
  if (!context) return nullptr;
  return new_image_from_bytes(context->width, context->height, context->bytes_per_row, context->space,
                              context->bitmap_info, context->data);
}

CGContextRef CGContextRetain(CGContextRef context) {
  if (context) context->refs.fetch_add(1, std::memory_order_relaxed);
  return context;
}

void CGContextRelease(CGContextRef context) {
  if (!context || context->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  if (context->owns_data) std::free(context->data);
  CGColorSpaceRelease(context->space);
  sim::graphics::forget_live(context);
  delete context;
}

}  // extern "C"
