// Bitmap contexts: a pixel buffer (the caller's or their own) described by a
// geometry, a colour space and a bitmap-info value.
#include <cstdint>
#include <cstdlib>

#include "sim/graphics/cg_objects.h"

using namespace sim::graphics;

extern "C" {

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo) {
  PixelModel model;
  Layout layout;
  if (!space || bitsPerComponent != 8 || width == 0 || height == 0) return nullptr;
  if (!PixelModelOf(space, &model) || !ContextLayoutAccepted(model, bitmapInfo)) return nullptr;
  DescribeLayout(model, bitmapInfo, &layout);

  size_t minRow, total;
  if (__builtin_mul_overflow(width, size_t(layout.bytesPerPixel), &minRow)) return nullptr;
  if (bytesPerRow == 0) bytesPerRow = minRow;
  if (bytesPerRow < minRow || __builtin_mul_overflow(bytesPerRow, height, &total) ||
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
  context->ownsData = owns;
  context->width = width;
  context->height = height;
  context->bytesPerRow = bytesPerRow;
  context->space = CGColorSpaceRetain(space);
  context->bitmapInfo = bitmapInfo;
  context->layout = layout;
  return context;
}

void* CGBitmapContextGetData(CGContextRef context) { return context ? context->data : nullptr; }
size_t CGBitmapContextGetWidth(CGContextRef context) { return context ? context->width : 0; }
size_t CGBitmapContextGetHeight(CGContextRef context) { return context ? context->height : 0; }
size_t CGBitmapContextGetBytesPerRow(CGContextRef context) { return context ? context->bytesPerRow : 0; }
size_t CGBitmapContextGetBitsPerComponent(CGContextRef context) { return context ? 8 : 0; }
size_t CGBitmapContextGetBitsPerPixel(CGContextRef context) {
  return context ? size_t(context->layout.bytesPerPixel) * 8 : 0;
}
CGColorSpaceRef CGBitmapContextGetColorSpace(CGContextRef context) { return context ? context->space : nullptr; }
CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef context) {
  return context ? (context->bitmapInfo & kCGBitmapAlphaInfoMask) : kCGImageAlphaNone;
}
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef context) { return context ? context->bitmapInfo : 0; }

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
  if (!context) return nullptr;
  return NewImageFromBytes(context->width, context->height, context->bytesPerRow, context->space,
                           context->bitmapInfo, context->data);
}

CGContextRef CGContextRetain(CGContextRef context) {
  if (context) context->refs.fetch_add(1, std::memory_order_relaxed);
  return context;
}

void CGContextRelease(CGContextRef context) {
  if (!context || context->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  if (context->ownsData) std::free(context->data);
  CGColorSpaceRelease(context->space);
  delete context;
}

}  // extern "C"
