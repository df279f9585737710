// PNG bytes as icons are read: the decoder behind png: icons, UIImage
// imageWithContentsOfFile: and the preview's --icon.
//
// libpng refuses a chunk whose checksum is wrong, so nearly every mutation
// would end there. The harness mends the checksums of the chunks it can
// find before decoding; the first byte of the input says whether to (odd:
// leave them as they are), so damaged checksums stay covered too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sim/graphics/CoreGraphics.h"

namespace {

uint32_t crc32(const uint8_t* p, size_t n) {
  static const auto table = [] {
    std::vector<uint32_t> t(256);
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t get_be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Rewrites the checksum of every whole chunk after the 8-byte signature.
void mend_checksums(std::vector<uint8_t>& png) {
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = get_be32(&png[at]);
    if (length > png.size() - at - 12) return;
    const uint32_t crc = crc32(&png[at + 4], length + 4);
    uint8_t* out = &png[at + 8 + length];
    for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
    at += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<uint8_t> png(data + 1, data + size);
  if ((data[0] & 1) == 0) mend_checksums(png);
  char error[256] = {};
  CGImageRef image = sim_CGImageCreateWithPNGData(png.data(), png.size(), error, sizeof error);
  if (!image) return 0;
  const size_t w = CGImageGetWidth(image), h = CGImageGetHeight(image);
  if (w == 0 || h == 0) {
    std::fprintf(stderr, "a decoded PNG of %zux%zu pixels\n", w, h);
    std::abort();
  }
  // Drawn into one pixel, as one-pixel sampling draws an icon (skipped for
  // pictures so large that the reduction alone would take seconds).
  if (w * h <= (size_t{1} << 20)) {
    uint8_t pixel[4] = {};
    CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
    CGContextRef ctx = CGBitmapContextCreate(pixel, 1, 1, 8, 4, rgb,
                                             kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
    CGContextDrawImage(ctx, CGRectMake(0, 0, 1, 1), image);
    CGContextRelease(ctx);
    CGColorSpaceRelease(rgb);
  }
  CGImageRelease(image);
  return 0;
}
