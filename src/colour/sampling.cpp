#include "colour/sampling.h"

namespace corvane::colour {
namespace {

// 2^64: the first double that no longer converts to uint64_t.
constexpr double kUint64Limit = 18446744073709551616.0;

// Whether trunc(v) is a uint64_t value. NaN fails both comparisons.
inline bool fits_uint64(double v) { return v >= 0.0 && v < kUint64Limit; }

id make_colour(double r, double g, double b, double a) {
  return msg<id>(cls("UIColor"), CV_SEL("colorWithRed:green:blue:alpha:"), r, g, b, a);
}

// avg / 255 in single precision, widened.
inline double single_precision_unit(uint64_t avg) {
  return static_cast<double>(static_cast<float>(avg) / 255.0f);
}

inline CGImageRef bitmap_of(id image) { return msg<CGImageRef>(image, CV_SEL("CGImage")); }

// The bitmap follows the image's point size, not its pixels: an image of a
// few pixels can claim 20000 x 20000 points and would cost the host process
// gigabytes here. No icon comes near this side, so a larger bitmap is taken
// as one the graphics system refused: nothing is allocated or drawn.
constexpr size_t kMaxSamplingSide = 4096;

inline bool within_sampling_limit(const SamplingBitmap& b) {
  return b.width <= kMaxSamplingSide && b.height <= kMaxSamplingSide;
}

}  // namespace

bool sampling_bitmap_for(double w, double h, SamplingBitmap* out) {
  // Multiplying by 4 is exact, so bytes >= 4 x groups: the walk never leaves
  // the buffer. Likewise bytes_per_row x height <= w x h x 4 <= bytes.
  const double area = w * h;
  const double bytes = area * 4.0;
  const double row = w * 4.0;
  if (!fits_uint64(w) || !fits_uint64(h) || !fits_uint64(area) || !fits_uint64(bytes) || !fits_uint64(row)) {
    return false;
  }
  out->bytes = static_cast<size_t>(static_cast<uint64_t>(bytes));
  out->width = static_cast<size_t>(static_cast<uint64_t>(w));
  out->height = static_cast<size_t>(static_cast<uint64_t>(h));
  out->bytes_per_row = static_cast<size_t>(static_cast<uint64_t>(row));
  out->groups = static_cast<uint64_t>(area);
  return true;
}

void sum_colour_bytes(const uint8_t* data, uint64_t groups, uint64_t sums[3]) {
  uint64_t r = 0, g = 0, b = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // Four groups per 16 bytes, read as eight 16-bit lanes: the low byte of
  // each lane is red or blue, the high byte green or alpha. Two vectors per
  // step; a lane gains at most 255 per step, so 256 steps fit before the
  // lanes are folded into the 64-bit sums.
  typedef uint16_t Lanes __attribute__((vector_size(16)));
  constexpr uint64_t kStepsPerFold = 256;
  const Lanes low_byte = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
  while (groups >= 8) {
    uint64_t steps = groups / 8;
    if (steps > kStepsPerFold) steps = kStepsPerFold;
    Lanes rb0 = {}, ga0 = {}, rb1 = {}, ga1 = {};
    for (uint64_t k = 0; k < steps; ++k, data += 32) {
      Lanes v0, v1;
      __builtin_memcpy(&v0, data, 16);
      __builtin_memcpy(&v1, data + 16, 16);
      rb0 += v0 & low_byte;
      ga0 += v0 >> 8;
      rb1 += v1 & low_byte;
      ga1 += v1 >> 8;
    }
    groups -= steps * 8;
    for (int lane = 0; lane < 8; lane += 2) {
      r += uint64_t(rb0[lane]) + rb1[lane];
      b += uint64_t(rb0[lane + 1]) + rb1[lane + 1];
      g += uint64_t(ga0[lane]) + ga1[lane];
    }
  }
#endif
  for (; groups > 0; --groups, data += 4) {
    r += data[0];
    g += data[1];
    b += data[2];
  }
  sums[0] += r;
  sums[1] += g;
  sums[2] += b;
}

id pixel_average_colour(id image) {
  uint64_t avg[3] = {0, 0, 0};
  const CGSize size = msg<CGSize>(image, CV_SEL("size"));
  SamplingBitmap bitmap;
  if (sampling_bitmap_for(size.width, size.height, &bitmap) && within_sampling_limit(bitmap)) {
    // Asked before anything is allocated: a message may raise, and nothing
    // here would then free what was taken.
    CGImageRef cg = bitmap_of(image);
    auto* buffer = static_cast<uint8_t*>(zero_alloc(bitmap.bytes));
    if (buffer) {
      CGContextRef ctx = CGBitmapContextCreate(buffer, bitmap.width, bitmap.height, 8, bitmap.bytes_per_row,
                                               CGImageGetColorSpace(cg), kCGImageAlphaPremultipliedLast);
      if (ctx) {
        CGContextDrawImage(ctx, CGRectMake(0, 0, size.width, size.height), cg);
        if (bitmap.groups > 0) {
          uint64_t sums[3] = {0, 0, 0};
          sum_colour_bytes(buffer, bitmap.groups, sums);
          for (int k = 0; k < 3; ++k) avg[k] = sums[k] / bitmap.groups;
        }
        CGContextRelease(ctx);
      }
      release_memory(buffer);
    }
  }
  return make_colour(single_precision_unit(avg[0]), single_precision_unit(avg[1]),
                     single_precision_unit(avg[2]), 1.0);
}

id one_pixel_colour(id image, double gain) {
  uint8_t pixel[4] = {0, 0, 0, 0};
  CGImageRef cg = bitmap_of(image);  // before the colour space and context, as above
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  // Alpha last, premultiplied, big-endian 32-bit words: bytes R, G, B, A.
  const uint32_t info =
      static_cast<uint32_t>(kCGImageAlphaPremultipliedLast) | static_cast<uint32_t>(kCGBitmapByteOrder32Big);
  CGContextRef ctx = CGBitmapContextCreate(pixel, 1, 1, 8, 4, rgb, info);
  CGContextDrawImage(ctx, CGRectMake(0, 0, 1, 1), cg);
  CGColorSpaceRelease(rgb);
  CGContextRelease(ctx);

  const double r = pixel[0], g = pixel[1], b = pixel[2], a = pixel[3];
  if (a == 0) return make_colour(r / 255.0, g / 255.0, b / 255.0, 0.0);
  const double alpha = a / 255.0;
  // The premultiplied bytes are scaled by alpha once more, not divided by it.
  const double m = gain * (alpha / 255.0);
  return make_colour(m * r, m * g, m * b, alpha);
}

}  // namespace corvane::colour
