// PNG bytes as icons are read: the decoder behind png: icons, UIImage
// imageWithContentsOfFile: and the preview's --icon.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "sim/graphics/CoreGraphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char error[256] = {};
  CGImageRef image = sim_CGImageCreateWithPNGData(data, size, error, sizeof error);
  if (!image) return 0;
  // A decoded image has a size and its bytes can be drawn from.
  const size_t w = CGImageGetWidth(image), h = CGImageGetHeight(image);
  if (w == 0 || h == 0) {
    std::fprintf(stderr, "a decoded PNG of %zux%zu pixels\n", w, h);
    std::abort();
  }
  uint8_t pixel[4] = {};
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGContextRef ctx = CGBitmapContextCreate(pixel, 1, 1, 8, 4, rgb,
                                           kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
  CGContextDrawImage(ctx, CGRectMake(0, 0, 1, 1), image);
  CGContextRelease(ctx);
  CGColorSpaceRelease(rgb);
  CGImageRelease(image);
  return 0;
}
