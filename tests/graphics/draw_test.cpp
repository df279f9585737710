// CGContextDrawImage: area averaging, rounding, compositing, byte orders and
// geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "graphics/graphics_test_util.h"
#include "sim/graphics/draw_switches.h"

using namespace gfxtest;

namespace {

// Every pixel of the context (bytes R, G, B, A) equals colour.
testing::AssertionResult all_pixels_are(CGContextRef ctx, RGBA colour) {
  const size_t w = CGBitmapContextGetWidth(ctx), h = CGBitmapContextGetHeight(ctx);
  for (size_t y = 0; y < h; ++y) {
    for (size_t x = 0; x < w; ++x) {
      const RGBA got = pixel_at(ctx, x, y);
      if (got != colour) {
        return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << int(got[0]) << ","
                                           << int(got[1]) << "," << int(got[2]) << "," << int(got[3]);
      }
    }
  }
  return testing::AssertionSuccess();
}

double overlap(double a0, double a1, double b0, double b1) {
  return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
}

// Every choice of route and kernels a draw can make: the fast routes with
// AVX2 and SSE2, SSE2 alone or plain loops, and the reference route forced,
// with SSE2 or plain. Runs check once under each, then restores the defaults.
struct KernelChoice {
  const char* name;
  bool reference, vector, wide;
};
const KernelChoice kKernelChoices[] = {
    {"fast routes, AVX2 and SSE2", false, true, true}, {"fast routes, SSE2", false, true, false},
    {"fast routes, plain", false, false, false},       {"reference route, SSE2", true, true, false},
    {"reference route, plain", true, false, false},
};

void choose(const KernelChoice& c) {
  sim::graphics::force_reference_route(c.reference);
  sim::graphics::use_vector_kernels(c.vector);
  sim::graphics::use_wide_block_sums(c.wide);
}

template <class Check>
void for_each_kernel_choice(Check check) {
  for (const KernelChoice& c : kKernelChoices) {
    SCOPED_TRACE(c.name);
    choose(c);
    check();
  }
  choose(kKernelChoices[0]);
}

// Where the four bytes of a pixel go for one RGB context layout.
struct Order {
  const char* name;
  uint32_t info;
  int r, g, b, a;
  bool skip;
};

const Order kOrders[] = {
    {"PremultipliedLast", kCGImageAlphaPremultipliedLast, 0, 1, 2, 3, false},
    {"PremultipliedLast|32Big", kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big, 0, 1, 2, 3, false},
    {"PremultipliedLast|32Little", kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little, 3, 2, 1, 0,
     false},
    {"PremultipliedFirst", kCGImageAlphaPremultipliedFirst, 1, 2, 3, 0, false},
    {"PremultipliedFirst|32Little", kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, 2, 1, 0, 3,
     false},
    {"NoneSkipLast", kCGImageAlphaNoneSkipLast, 0, 1, 2, 3, true},
    {"NoneSkipFirst|32Big", kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Big, 1, 2, 3, 0, true},
    {"NoneSkipLast|32Little", kCGImageAlphaNoneSkipLast | kCGBitmapByteOrder32Little, 3, 2, 1, 0, true},
    {"NoneSkipFirst|32Little", kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little, 2, 1, 0, 3, true},
};

// Reference drawing by brute force: for every destination pixel, every
// source pixel weighted by the area they share, then source-over. Returns
// the unrounded R, G, B, A for each destination pixel (row 0 at the top).
std::vector<double> reference_draw(const std::vector<uint8_t>& dst, size_t cw, size_t ch, bool skip,
                                   const std::vector<uint8_t>& src, size_t iw, size_t ih, CGRect rect) {
  const double x = rect.origin.x, w = rect.size.width, h = rect.size.height;
  const double top = double(ch) - (rect.origin.y + h);
  std::vector<double> out(cw * ch * 4);
  for (size_t r = 0; r < ch; ++r) {
    for (size_t c = 0; c < cw; ++c) {
      // Pixels the rect does not reach are left exactly as they were,
      // padding bytes included.
      const double reach =
          overlap(double(c), double(c + 1), x, x + w) * overlap(double(r), double(r + 1), top, top + h);
      double s[4] = {0, 0, 0, 0};
      for (size_t j = 0; j < ih; ++j) {
        const double oy = overlap(double(r), double(r + 1), top + double(j) * h / double(ih),
                                  top + double(j + 1) * h / double(ih));
        if (oy == 0) continue;
        for (size_t i = 0; i < iw; ++i) {
          const double ox = overlap(double(c), double(c + 1), x + double(i) * w / double(iw),
                                    x + double(i + 1) * w / double(iw));
          for (int k = 0; k < 4; ++k) s[k] += ox * oy * src[(j * iw + i) * 4 + k];
        }
      }
      const double keep = 1.0 - s[3] / 255.0;
      for (int k = 0; k < 4; ++k) {
        const double d = (k == 3 && skip && reach > 0) ? 255.0 : dst[(r * cw + c) * 4 + k];
        out[(r * cw + c) * 4 + k] = s[k] + d * keep;
      }
    }
  }
  return out;
}

struct RandomCase {
  size_t iw, ih, cw, ch;
  CGRect rect;
};

}  // namespace

// A uniform image stays exactly uniform whatever the scale, up or down,
// including whole images reduced to a single pixel.
TEST(DrawImage, UniformImageStaysExactAtEverySize) {
  const RGBA colours[] = {{200, 100, 50, 255}, {60, 30, 10, 128}, {1, 254, 0, 255}};
  const size_t targets[] = {1, 7, 40, 64, 130};
  for (const RGBA& colour : colours) {
    for (size_t n = 1; n <= 130; ++n) {
      Image image = uniform_image(n, n, colour);
      for (size_t t : targets) {
        SCOPED_TRACE(std::to_string(n) + " -> " + std::to_string(t));
        Context ctx = rgba_context(t, t);
        CGContextDrawImage(ctx.get(), CGRectMake(0, 0, double(t), double(t)), image.get());
        ASSERT_TRUE(all_pixels_are(ctx.get(), colour));
      }
    }
  }
}

TEST(DrawImage, UniformImageStaysExactForOddShapesAndLargeSizes) {
  struct Case {
    size_t iw, ih, cw, ch;
  };
  const Case cases[] = {{1, 130, 5, 3},     {130, 1, 3, 5},     {3, 97, 11, 13},         {97, 3, 2, 1},
                        {120, 120, 1, 1},   {1024, 1024, 1, 1}, {1024, 1024, 1000, 3},   {1000, 7, 999, 2},
                        {2, 2, 1024, 1024}, {7, 5, 1023, 3},    {1024, 1024, 1024, 1024}};
  const RGBA colour = {90, 45, 12, 180};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.iw) + "x" + std::to_string(c.ih) + " -> " + std::to_string(c.cw) + "x" +
                 std::to_string(c.ch));
    Image image = uniform_image(c.iw, c.ih, colour);
    Context ctx = rgba_context(c.cw, c.ch);
    CGContextDrawImage(ctx.get(), CGRectMake(0, 0, double(c.cw), double(c.ch)), image.get());
    ASSERT_TRUE(all_pixels_are(ctx.get(), colour));
  }
}

// Fractional rects: pixels wholly inside keep the colour exactly; pixels
// partly inside get colour x coverage (onto a zeroed buffer), rounded to
// nearest.
TEST(DrawImage, FractionalRectsWeighEdgePixelsByCoverage) {
  const CGRect rects[] = {CGRectMake(0, 0, 10.5, 10.5),   CGRectMake(0.25, 0.75, 9.5, 8.25),
                          CGRectMake(-0.5, 2.5, 11, 3.3), CGRectMake(3.1, 3.7, 0.4, 0.2),
                          CGRectMake(1.5, -4.25, 7, 20),  CGRectMake(9.9, 9.9, 5, 5)};
  const RGBA colour = {240, 120, 60, 255};
  const size_t sizes[] = {1, 3, 10, 17, 40};
  for (const CGRect& rect : rects) {
    for (size_t n : sizes) {
      SCOPED_TRACE(std::to_string(n) + " into (" + std::to_string(rect.origin.x) + ", " +
                   std::to_string(rect.origin.y) + ", " + std::to_string(rect.size.width) + ", " +
                   std::to_string(rect.size.height) + ")");
      Image image = uniform_image(n, n, colour);
      Context ctx = rgba_context(10, 10);
      CGContextDrawImage(ctx.get(), rect, image.get());
      const double top = 10.0 - (rect.origin.y + rect.size.height);
      for (size_t r = 0; r < 10; ++r) {
        for (size_t c = 0; c < 10; ++c) {
          const double coverage =
              overlap(double(c), double(c + 1), rect.origin.x, rect.origin.x + rect.size.width) *
              overlap(double(r), double(r + 1), top, top + rect.size.height);
          const RGBA got = pixel_at(ctx.get(), c, r);
          for (int k = 0; k < 4; ++k) {
            ASSERT_NEAR(got[k], colour[k] * coverage, 0.5 + 1e-9)
                << "pixel " << c << "," << r << " channel " << k;
          }
        }
      }
    }
  }
}

// Reduced to one pixel, a two-colour image gives the exact mean of its
// pixels, within rounding.
TEST(DrawImage, TwoColourImageAveragesToExactMeanInOnePixel) {
  const RGBA a = {255, 0, 10, 255}, b = {0, 128, 0, 128};
  struct Pattern {
    const char* name;
    bool (*is_a)(size_t x, size_t y, size_t w, size_t h);
  };
  const Pattern patterns[] = {
      {"checker", [](size_t x, size_t y, size_t, size_t) { return (x + y) % 2 == 0; }},
      {"left third", [](size_t x, size_t, size_t w, size_t) { return 3 * x < w; }},
      {"top rows", [](size_t, size_t y, size_t, size_t h) { return 5 * y < 2 * h; }},
      {"one pixel", [](size_t x, size_t y, size_t w, size_t h) { return x == w / 2 && y == h / 3; }},
      {"stripes of 7", [](size_t x, size_t, size_t, size_t) { return (x / 7) % 2 == 1; }},
  };
  struct Size {
    size_t w, h;
  };
  const Size sizes[] = {{2, 1}, {1, 2}, {3, 3}, {40, 40}, {120, 120}, {1023, 7}, {1000, 1000}, {1024, 1024}};
  for (const Pattern& p : patterns) {
    for (const Size& s : sizes) {
      SCOPED_TRACE(std::string(p.name) + " " + std::to_string(s.w) + "x" + std::to_string(s.h));
      std::vector<uint8_t> rgba(s.w * s.h * 4);
      size_t count_a = 0;
      for (size_t y = 0; y < s.h; ++y) {
        for (size_t x = 0; x < s.w; ++x) {
          const bool is_a = p.is_a(x, y, s.w, s.h);
          count_a += is_a;
          std::memcpy(&rgba[(y * s.w + x) * 4], (is_a ? a : b).data(), 4);
        }
      }
      Image image = image_from_rgba(s.w, s.h, rgba);
      uint8_t pixel[4] = {0, 0, 0, 0};
      Space rgb = rgb_space();
      Context ctx(CGBitmapContextCreate(pixel, 1, 1, 8, 4, rgb.get(),
                                        kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big));
      CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 1, 1), image.get());
      const double n = double(s.w * s.h);
      for (int k = 0; k < 4; ++k) {
        const double mean = (double(count_a) * a[k] + (n - double(count_a)) * b[k]) / n;
        EXPECT_NEAR(pixel[k], mean, 0.5 + 1e-9) << "channel " << k;
      }
    }
  }
}

namespace {

// Random images, destination contents and rects (scaling both ways, whole
// and fractional, partly outside the context, identity placements) against
// the brute-force reference, in every RGB byte order and alpha layout.
void check_against_brute_force() {
  std::mt19937 rng(1234);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };

  std::vector<RandomCase> cases;
  for (int i = 0; i < 160; ++i) {
    RandomCase c{
        size_t(uniform(1, 13)), size_t(uniform(1, 13)), size_t(uniform(1, 13)), size_t(uniform(1, 13)), {}};
    switch (i % 4) {
      case 0:  // identity placement, possibly hanging over an edge
        c.rect = CGRectMake(uniform(-4, 12), uniform(-4, 12), double(c.iw), double(c.ih));
        break;
      case 1:  // whole-pixel rect of another size
        c.rect = CGRectMake(uniform(-3, 5), uniform(-3, 5), uniform(1, 20), uniform(1, 20));
        break;
      default:  // fractional
        c.rect = CGRectMake(real(-3, 8), real(-3, 8), real(0.3, 18), real(0.3, 18));
        break;
    }
    cases.push_back(c);
  }
  // Wide rows exercise four-pixel blocks and their remainders.
  for (size_t w = 1; w <= 19; ++w) cases.push_back({w, 2, 21, 3, CGRectMake(1, 0, double(w), 2)});

  for (const Order& order : kOrders) {
    for (const RandomCase& c : cases) {
      SCOPED_TRACE(std::string(order.name) + ": " + std::to_string(c.iw) + "x" + std::to_string(c.ih) +
                   " into " + std::to_string(c.cw) + "x" + std::to_string(c.ch) + " at (" +
                   std::to_string(c.rect.origin.x) + ", " + std::to_string(c.rect.origin.y) + ", " +
                   std::to_string(c.rect.size.width) + ", " + std::to_string(c.rect.size.height) + ")");
      // Premultiplied source with a mix of opaque, clear and partial pixels.
      std::vector<uint8_t> src(c.iw * c.ih * 4);
      for (size_t i = 0; i < src.size(); i += 4) {
        const int kind = uniform(0, 3);
        const int alpha = kind == 0 ? 255 : kind == 1 ? 0 : uniform(1, 254);
        for (int k = 0; k < 3; ++k) src[i + k] = uint8_t(uniform(0, alpha));
        src[i + 3] = uint8_t(alpha);
      }
      // Destination contents in R, G, B, A terms (any alpha byte for skip
      // layouts, which must read as opaque).
      std::vector<uint8_t> dst(c.cw * c.ch * 4);
      for (size_t i = 0; i < dst.size(); i += 4) {
        const int alpha = uniform(0, 255);
        for (int k = 0; k < 3; ++k) dst[i + k] = uint8_t(uniform(0, order.skip ? 255 : alpha));
        dst[i + 3] = uint8_t(alpha);
      }
      std::vector<uint8_t> buffer(c.cw * c.ch * 4);
      const int at[4] = {order.r, order.g, order.b, order.a};
      for (size_t p = 0; p < c.cw * c.ch; ++p) {
        for (int k = 0; k < 4; ++k) buffer[p * 4 + at[k]] = dst[p * 4 + k];
      }

      Image image = image_from_rgba(c.iw, c.ih, src);
      Space rgb = rgb_space();
      Context ctx(CGBitmapContextCreate(buffer.data(), c.cw, c.ch, 8, c.cw * 4, rgb.get(), order.info));
      ASSERT_NE(ctx, nullptr);
      CGContextDrawImage(ctx.get(), c.rect, image.get());

      const std::vector<double> want = reference_draw(dst, c.cw, c.ch, order.skip, src, c.iw, c.ih, c.rect);
      for (size_t p = 0; p < c.cw * c.ch; ++p) {
        for (int k = 0; k < 4; ++k) {
          ASSERT_NEAR(buffer[p * 4 + at[k]], want[p * 4 + k], 0.5 + 1e-9)
              << "pixel " << p % c.cw << "," << p / c.cw << " channel " << k;
        }
      }
    }
  }
}

}  // namespace

TEST(DrawImage, MatchesBruteForceReferenceInEveryLayout) {
  for_each_kernel_choice(check_against_brute_force);
}

// The literal bytes that land in memory for each layout, through both the
// identity route and the resampling route.
TEST(DrawImage, WritesComponentsInTheLayoutsByteOrder) {
  struct Case {
    uint32_t info;
    RGBA bytes;  // expected memory bytes for premultiplied (100, 50, 25, 200) onto zero
  };
  const Case cases[] = {
      {kCGImageAlphaPremultipliedLast, {100, 50, 25, 200}},
      {kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big, {100, 50, 25, 200}},
      {kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little, {200, 25, 50, 100}},
      {kCGImageAlphaPremultipliedFirst, {200, 100, 50, 25}},
      {kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big, {200, 100, 50, 25}},
      {kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, {25, 50, 100, 200}},
      // Padding reads as opaque black underneath and is written 255.
      {kCGImageAlphaNoneSkipLast, {100, 50, 25, 255}},
      {kCGImageAlphaNoneSkipFirst, {255, 100, 50, 25}},
      {kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little, {25, 50, 100, 255}},
  };
  const RGBA colour = {100, 50, 25, 200};
  for (const Case& c : cases) {
    for (bool identity : {true, false}) {
      SCOPED_TRACE("info " + std::to_string(c.info) + (identity ? " identity" : " resampled"));
      const size_t n = identity ? 6 : 12;
      Image image = uniform_image(n, n, colour);
      Context ctx = rgba_context(6, 6, c.info);
      ASSERT_NE(ctx, nullptr);
      CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 6, 6), image.get());
      ASSERT_TRUE(all_pixels_are(ctx.get(), c.bytes));
    }
  }
}

// Compositing is source-over onto what the buffer holds:
// result = source + destination x (255 - source alpha) / 255.
TEST(DrawImage, CompositesSourceOverExistingContents) {
  struct Case {
    RGBA src, dst, want;
  };
  const Case cases[] = {
      {{100, 50, 0, 128}, {0, 0, 200, 200}, {100, 50, 100, 228}},  // 200 x 127 / 255 = 99.6
      {{0, 0, 0, 0}, {10, 20, 30, 40}, {10, 20, 30, 40}},          // clear source leaves it
      {{9, 8, 7, 255}, {10, 20, 30, 40}, {9, 8, 7, 255}},          // opaque source replaces it
      {{0, 0, 0, 1}, {255, 255, 255, 255}, {254, 254, 254, 255}},
  };
  for (const Case& c : cases) {
    for (size_t n : {size_t(8), size_t(3)}) {  // identity route, then resampling route
      SCOPED_TRACE(n);
      Context ctx = rgba_context(8, 8);
      auto* data = static_cast<uint8_t*>(CGBitmapContextGetData(ctx.get()));
      for (size_t i = 0; i < 8 * 8 * 4; i += 4) std::memcpy(data + i, c.dst.data(), 4);
      Image image = uniform_image(n, n, c.src);
      CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 8, 8), image.get());
      EXPECT_TRUE(all_pixels_are(ctx.get(), c.want));
    }
  }
}

// The rect is in coordinates whose origin is the bottom-left corner: y = 0
// is the last row in memory, and the image's first row lands at the rect's
// top.
TEST(DrawImage, UsesBottomLeftOrigin) {
  const RGBA red = {255, 0, 0, 255}, blue = {0, 0, 255, 255}, none = {0, 0, 0, 0};
  {
    Image dot = uniform_image(1, 1, red);
    Context ctx = rgba_context(4, 4);
    CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 1, 1), dot.get());
    CGContextDrawImage(ctx.get(), CGRectMake(2, 1, 1, 1), dot.get());
    for (size_t y = 0; y < 4; ++y) {
      for (size_t x = 0; x < 4; ++x) {
        const bool lit = (x == 0 && y == 3) || (x == 2 && y == 2);
        EXPECT_EQ(pixel_at(ctx.get(), x, y), lit ? red : none) << x << "," << y;
      }
    }
  }
  // Top row red, bottom row blue; drawn as it is and scaled up twice.
  std::vector<uint8_t> rgba;
  for (const RGBA& c : {red, red, blue, blue}) rgba.insert(rgba.end(), c.begin(), c.end());
  Image image = image_from_rgba(2, 2, rgba);
  for (double scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    Context ctx = rgba_context(4, 4);
    CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 2 * scale, 2 * scale), image.get());
    const size_t rows = size_t(2 * scale);
    for (size_t y = 0; y < 4; ++y) {
      const size_t from_top = y + rows - 4;  // memory row within the drawn area
      const RGBA want = y < 4 - rows ? none : (from_top < rows / 2 ? red : blue);
      EXPECT_EQ(pixel_at(ctx.get(), 0, y), want) << "row " << y;
    }
  }
}

TEST(DrawImage, GrayContextsTakeLuminanceAndGrayImagesExpand) {
  Space gray = gray_space();
  // Opaque colours into gray: 0.299 R + 0.587 G + 0.114 B, rounded.
  struct Case {
    RGBA src;
    uint8_t want;
  };
  const Case cases[] = {{{255, 0, 0, 255}, 76},  {{0, 255, 0, 255}, 150}, {{0, 0, 255, 255}, 29},
                        {{77, 77, 77, 255}, 77}, {{0, 0, 0, 0}, 40},      {{100, 100, 100, 128}, 120}};
  for (const Case& c : cases) {
    for (size_t n : {size_t(5), size_t(2)}) {
      uint8_t buffer[25];
      std::memset(buffer, 40, sizeof buffer);  // existing gray, opaque
      Context ctx(CGBitmapContextCreate(buffer, 5, 5, 8, 5, gray.get(), kCGImageAlphaNone));
      ASSERT_NE(ctx, nullptr);
      Image image = uniform_image(n, n, c.src);
      CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 5, 5), image.get());
      for (uint8_t v : buffer)
        ASSERT_EQ(v, c.want) << int(c.src[0]) << "," << int(c.src[1]) << "," << int(c.src[2]);
    }
  }
  // A gray image drawn into RGB repeats its level in R, G and B.
  const uint8_t levels[4] = {0, 85, 170, 255};
  Image gray_image(sim_CGImageCreateWithBytes(2, 2, 2, gray.get(), kCGImageAlphaNone, levels));
  ASSERT_NE(gray_image, nullptr);
  Context ctx = rgba_context(2, 2);
  CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 2, 2), gray_image.get());
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(pixel_at(ctx.get(), i % 2, i / 2), (RGBA{levels[i], levels[i], levels[i], 255}));
  }
}

TEST(DrawImage, DoesNothingWithoutContextImageOrArea) {
  Image image = uniform_image(3, 3, {10, 20, 30, 255});
  Context ctx = rgba_context(4, 4);
  CGContextDrawImage(nullptr, CGRectMake(0, 0, 4, 4), image.get());
  const double inf = INFINITY;
  const CGRect nothing[] = {CGRectMake(0, 0, 0, 4),   CGRectMake(0, 0, 4, 0),
                            CGRectMake(4, 0, 3, 3),   CGRectMake(-3, 0, 3, 3),
                            CGRectMake(0, 4, 3, 3),   CGRectMake(0, 0, inf, 4),
                            CGRectMake(NAN, 0, 4, 4), CGRectMake(0, -1e308, 4, -1e308)};
  for (const CGRect& rect : nothing) CGContextDrawImage(ctx.get(), rect, image.get());
  CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 4, 4), nullptr);
  EXPECT_TRUE(all_pixels_are(ctx.get(), {0, 0, 0, 0}));

  // A negative size extends the rect the other way; it does not flip.
  CGContextDrawImage(ctx.get(), CGRectMake(4, 4, -4, -4), image.get());
  EXPECT_TRUE(all_pixels_are(ctx.get(), {10, 20, 30, 255}));
}

namespace {

// Round to nearest by adding 0.5 and truncating, saturating to 0..255.
uint8_t round_to_byte(double v) { return uint8_t(std::min(std::max(v + 0.5, 0.0), 255.0)); }

// The resampling arithmetic for a destination pixel that covers whole source
// pixels, kx x ky of them starting at (x0, y0): each row's sum taken exactly
// and scaled by 1/kx, the rows scaled by 1/ky and added in order, then
// source-over in doubles onto `below` (R, G, B, A; alpha read as 255 for a
// padding byte) and rounded once.
RGBA whole_block_expectation(const std::vector<uint8_t>& src, size_t iw, size_t x0, size_t y0, size_t kx,
                             size_t ky, RGBA below, bool skip) {
  const double sx = 1.0 / double(kx), sy = 1.0 / double(ky);
  double acc[4] = {0, 0, 0, 0};
  for (size_t j = 0; j < ky; ++j) {
    for (int ch = 0; ch < 4; ++ch) {
      uint64_t sum = 0;
      for (size_t i = 0; i < kx; ++i) sum += src[((y0 + j) * iw + x0 + i) * 4 + size_t(ch)];
      const double row = 0.0 + sx * double(sum);
      acc[ch] = acc[ch] + sy * row;
    }
  }
  const double keep = std::max(0.0, 1.0 - acc[3] * (1.0 / 255.0));
  RGBA out;
  for (int ch = 0; ch < 4; ++ch) {
    const double d = (ch == 3 && skip) ? 255.0 : double(below[size_t(ch)]);
    out[size_t(ch)] = round_to_byte(acc[ch] + d * keep);
  }
  return out;
}

}  // namespace

// An image that is an exact multiple of the rect's whole-pixel size is
// reduced block by block; the bytes are those of the resampling arithmetic,
// including the exact halves that it rounds down (k = 14 here).
TEST(DrawImage, WholeBlockReductionRoundsLikeResampling) {
  struct Case {
    size_t k;
    size_t white_rows;  // top rows of the block in opaque white, the rest clear
    uint8_t want;       // every byte of the single destination pixel
  };
  const Case cases[] = {
      {2, 1, 128}, {4, 2, 128}, {6, 3, 128}, {14, 7, 127}, {16, 8, 128}, {3, 1, 85},
      {3, 2, 170}, {5, 2, 102}, {7, 3, 109}, {7, 4, 146},  {16, 1, 16},  {15, 7, 119},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("k " + std::to_string(c.k) + ", " + std::to_string(c.white_rows) + " white rows");
    std::vector<uint8_t> rgba(c.k * c.k * 4, 0);
    std::fill(rgba.begin(), rgba.begin() + std::ptrdiff_t(c.white_rows * c.k * 4), uint8_t(255));
    Image image = image_from_rgba(c.k, c.k, rgba);
    Context ctx = rgba_context(1, 1);
    CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 1, 1), image.get());
    EXPECT_EQ(pixel_at(ctx.get(), 0, 0), (RGBA{c.want, c.want, c.want, c.want}));
  }
}

namespace {

// Whole-block geometries in every layout, over zeroed, opaque, partly clear
// and random destinations, with sources that make exact halves common, every
// byte against the resampling arithmetic. Block factors 2 to 16 (both axes
// alike) take the block route; 17 and unequal factors take the resampling
// route and check the expectation itself. With wide_rows, factors 2 and 3
// only, in rows of 8 to 41 pixels (the AVX2 kernels take eight at a time).
void check_whole_block_reductions(bool wide_rows) {
  std::mt19937 rng(wide_rows ? 2025 : 2024);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

  struct Factors {
    size_t kx, ky;
  };
  std::vector<Factors> factors;
  if (wide_rows) {
    for (int i = 0; i < 3; ++i) {
      for (size_t k = 2; k <= 3; ++k) factors.push_back({k, k});
    }
  } else {
    for (size_t k = 2; k <= 16; ++k) factors.push_back({k, k});
    for (const Factors& f : {Factors{17, 17}, Factors{2, 3}, Factors{3, 2}, Factors{4, 1}})
      factors.push_back(f);
  }

  enum class Source { Premultiplied, TwoLevels, ThreeLevels, Opaque, ColourAboveAlpha };
  const std::pair<Source, const char*> sources[] = {{Source::Premultiplied, "premultiplied"},
                                                    {Source::TwoLevels, "two levels"},
                                                    {Source::ThreeLevels, "three levels"},
                                                    {Source::Opaque, "opaque"},
                                                    {Source::ColourAboveAlpha, "colour above alpha"}};
  enum class Below { Zeroed, OpaqueBlack, SparseColour, Random };
  const std::pair<Below, const char*> belows[] = {{Below::Zeroed, "zeroed"},
                                                  {Below::OpaqueBlack, "opaque black"},
                                                  {Below::SparseColour, "sparse colour"},
                                                  {Below::Random, "random"}};

  for (const Factors& f : factors) {
    for (const auto& [source, source_name] : sources) {
      for (const auto& [below, below_name] : belows) {
        for (const Order& order : kOrders) {
          // Rect sizes 1 to 9 wide cover every remainder of four-pixel
          // groups; the rect may hang over any edge of the context.
          const size_t w = size_t(wide_rows ? uniform(8, 41) : uniform(1, f.kx > 8 ? 5 : 9));
          const size_t h = size_t(uniform(1, f.ky > 8 ? 3 : 5));
          const size_t iw = f.kx * w, ih = f.ky * h;
          const size_t cw = size_t(wide_rows ? uniform(8, int(w) + 6) : uniform(1, 11)),
                       ch = size_t(uniform(1, 6));
          const int x = uniform(-2, int(cw) - 1), y = uniform(-2, int(ch) - 1);
          SCOPED_TRACE(std::string(order.name) + ", " + source_name + " onto " + below_name + ": " +
                       std::to_string(iw) + "x" + std::to_string(ih) + " at (" + std::to_string(x) + ", " +
                       std::to_string(y) + ", " + std::to_string(w) + ", " + std::to_string(h) + ") in " +
                       std::to_string(cw) + "x" + std::to_string(ch));

          std::vector<uint8_t> src(iw * ih * 4);
          for (size_t i = 0; i < src.size(); i += 4) {
            int alpha = 255;
            switch (source) {
              case Source::Premultiplied: alpha = uniform(0, 255); break;
              case Source::TwoLevels: alpha = uniform(0, 1) * 255; break;
              case Source::ThreeLevels: alpha = uniform(0, 2) == 0 ? 0 : 255; break;
              case Source::Opaque: break;
              case Source::ColourAboveAlpha: alpha = uniform(0, 3) == 0 ? 0 : uniform(1, 255); break;
            }
            for (int k = 0; k < 3; ++k) {
              int v = 0;
              switch (source) {
                case Source::Premultiplied: v = uniform(0, alpha); break;
                case Source::TwoLevels: v = alpha ? uniform(0, 1) * 255 : 0; break;
                case Source::ThreeLevels: v = alpha ? uniform(0, 2) * 255 / 2 + 1 : 0; break;
                case Source::Opaque: v = uniform(0, 255); break;
                case Source::ColourAboveAlpha: v = uniform(0, 255); break;
              }
              src[i + size_t(k)] = uint8_t(v);
            }
            src[i + 3] = uint8_t(alpha);
          }
          // Destination contents in R, G, B, A terms.
          std::vector<uint8_t> dst(cw * ch * 4, 0);
          for (size_t i = 0; i < dst.size(); i += 4) {
            switch (below) {
              case Below::Zeroed: break;
              case Below::OpaqueBlack: dst[i + 3] = 255; break;
              case Below::SparseColour:
                if (uniform(0, 2) == 0) dst[i + size_t(uniform(0, 3))] = uint8_t(uniform(1, 255));
                break;
              case Below::Random:
                for (int k = 0; k < 4; ++k) dst[i + size_t(k)] = uint8_t(uniform(0, 255));
                break;
            }
          }
          std::vector<uint8_t> buffer(cw * ch * 4);
          const int at[4] = {order.r, order.g, order.b, order.a};
          for (size_t p = 0; p < cw * ch; ++p) {
            for (int k = 0; k < 4; ++k) buffer[p * 4 + size_t(at[k])] = dst[p * 4 + size_t(k)];
          }
          const std::vector<uint8_t> before = buffer;

          Image image = image_from_rgba(iw, ih, src);
          Space rgb = rgb_space();
          Context ctx(CGBitmapContextCreate(buffer.data(), cw, ch, 8, cw * 4, rgb.get(), order.info));
          ASSERT_NE(ctx, nullptr);
          CGContextDrawImage(ctx.get(), CGRectMake(x, y, double(w), double(h)), image.get());

          const int top = int(ch) - (y + int(h));
          for (size_t r = 0; r < ch; ++r) {
            for (size_t c = 0; c < cw; ++c) {
              const int bx = int(c) - x, by = int(r) - top;  // block within the rect
              const size_t p = r * cw + c;
              if (bx < 0 || by < 0 || bx >= int(w) || by >= int(h)) {
                for (int k = 0; k < 4; ++k) {
                  ASSERT_EQ(buffer[p * 4 + size_t(k)], before[p * 4 + size_t(k)])
                      << "outside pixel " << c << "," << r;
                }
                continue;
              }
              const RGBA under = {dst[p * 4], dst[p * 4 + 1], dst[p * 4 + 2], dst[p * 4 + 3]};
              const RGBA want = whole_block_expectation(src, iw, size_t(bx) * f.kx, size_t(by) * f.ky, f.kx,
                                                        f.ky, under, order.skip);
              for (int k = 0; k < 4; ++k) {
                ASSERT_EQ(int(buffer[p * 4 + size_t(at[k])]), int(want[size_t(k)]))
                    << "pixel " << c << "," << r << " channel " << k;
              }
            }
          }
        }
      }
    }
  }
}

}  // namespace

// The switches answer whether their choice holds: the AVX2 kernels are in
// use wherever the CPU has AVX2 (and vector kernels are allowed), SSE2 on
// every x86-64 CPU.
TEST(DrawImage, KernelSwitchesReportWhatTheCpuAllows) {
  const bool avx2 = __builtin_cpu_supports("avx2");
  EXPECT_EQ(sim::graphics::use_wide_block_sums(true), avx2);
  EXPECT_FALSE(sim::graphics::use_wide_block_sums(false));
  sim::graphics::use_wide_block_sums(true);
#if defined(__SSE2__)
  EXPECT_TRUE(sim::graphics::use_vector_kernels(true));
#endif
  EXPECT_FALSE(sim::graphics::use_vector_kernels(false));
  EXPECT_FALSE(sim::graphics::use_wide_block_sums(true));
  sim::graphics::use_vector_kernels(true);
  EXPECT_EQ(sim::graphics::use_wide_block_sums(true), avx2);
  EXPECT_TRUE(sim::graphics::force_reference_route(true));
  EXPECT_FALSE(sim::graphics::force_reference_route(false));
}

TEST(DrawImage, WholeBlockReductionsMatchResamplingArithmeticByteForByte) {
  for_each_kernel_choice([] {
    check_whole_block_reductions(false);
    check_whole_block_reductions(true);
  });
}

namespace {

// Rows wider than the block route's stack scratch, and the largest factor
// over a large image, against the same expectation.
void check_large_whole_block_reductions() {
  struct Case {
    size_t k, w, h;
  };
  const Case cases[] = {{2, 1500, 3}, {16, 64, 64}, {3, 700, 2}, {9, 120, 4}};
  std::mt19937 rng(99);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.k) + "x reduction to " + std::to_string(c.w) + "x" + std::to_string(c.h));
    const size_t iw = c.k * c.w, ih = c.k * c.h;
    std::vector<uint8_t> src(iw * ih * 4);
    for (size_t i = 0; i < src.size(); i += 4) {
      const int alpha = int(rng() % 3) == 0 ? 255 : int(rng() % 256);
      for (int k = 0; k < 3; ++k) src[i + size_t(k)] = uint8_t(int(rng() % 256) * alpha / 255);
      src[i + 3] = uint8_t(alpha);
    }
    Image image = image_from_rgba(iw, ih, src);
    Context ctx = rgba_context(c.w, c.h);
    CGContextDrawImage(ctx.get(), CGRectMake(0, 0, double(c.w), double(c.h)), image.get());
    for (size_t r = 0; r < c.h; ++r) {
      for (size_t col = 0; col < c.w; ++col) {
        const RGBA want = whole_block_expectation(src, iw, col * c.k, r * c.k, c.k, c.k, {0, 0, 0, 0}, false);
        ASSERT_EQ(pixel_at(ctx.get(), col, r), want) << "pixel " << col << "," << r;
      }
    }
  }
}

}  // namespace

TEST(DrawImage, WholeBlockReductionsOfLargeImages) {
  for_each_kernel_choice(check_large_whole_block_reductions);
}

// The fast routes and the vector kernels stand in exactly for the plain
// reference: random images, destination bytes and rects of every kind
// (identity placements, whole blocks of factor 2 to 16, other whole-pixel
// rects, fractional ones), partly outside the context, in every RGB layout;
// every choice gives byte for byte what the reference route gives with its
// plain loops.
TEST(DrawImage, EveryRouteAndKernelGivesTheReferenceBytes) {
  std::mt19937 rng(77);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  for (int i = 0; i < 200; ++i) {
    const Order& order = kOrders[size_t(i) % std::size(kOrders)];
    const size_t cw = size_t(uniform(1, 24)), ch = size_t(uniform(1, 12));
    size_t iw = size_t(uniform(1, 20)), ih = size_t(uniform(1, 12));
    CGRect rect;
    switch (i % 4) {
      case 0:  // identity
        rect = CGRectMake(uniform(-3, int(cw)), uniform(-3, int(ch)), double(iw), double(ih));
        break;
      case 1: {  // whole blocks
        const size_t k = size_t(uniform(2, 16)), w = size_t(uniform(1, 9)), h = size_t(uniform(1, 4));
        iw = k * w;
        ih = k * h;
        rect = CGRectMake(uniform(-2, int(cw)), uniform(-2, int(ch)), double(w), double(h));
        break;
      }
      case 2:  // another whole-pixel size
        rect = CGRectMake(uniform(-3, 8), uniform(-3, 8), uniform(1, 20), uniform(1, 20));
        break;
      default: rect = CGRectMake(real(-3, 8), real(-3, 8), real(0.3, 18), real(0.3, 18)); break;
    }
    SCOPED_TRACE(std::string(order.name) + ", case " + std::to_string(i));
    std::vector<uint8_t> src(iw * ih * 4);
    for (size_t p = 0; p < src.size(); p += 4) {
      const int kind = uniform(0, 3);
      const int alpha = kind == 0 ? 255 : kind == 1 ? 0 : uniform(1, 254);
      for (int k = 0; k < 3; ++k) src[p + size_t(k)] = uint8_t(uniform(0, alpha));
      src[p + 3] = uint8_t(alpha);
    }
    std::vector<uint8_t> below(cw * ch * 4);
    for (uint8_t& b : below) b = uint8_t(uniform(0, 3) == 0 ? 0 : uniform(0, 255));

    Image image = image_from_rgba(iw, ih, src);
    Space rgb = rgb_space();
    std::vector<std::vector<uint8_t>> results;
    for (const KernelChoice& c : kKernelChoices) {
      choose(c);
      std::vector<uint8_t> buffer = below;
      Context ctx(CGBitmapContextCreate(buffer.data(), cw, ch, 8, cw * 4, rgb.get(), order.info));
      ASSERT_NE(ctx, nullptr);
      CGContextDrawImage(ctx.get(), rect, image.get());
      results.push_back(buffer);
    }
    choose(kKernelChoices[0]);
    for (size_t c = 0; c + 1 < results.size(); ++c) {
      EXPECT_EQ(results[c], results.back()) << kKernelChoices[c].name;
    }
  }
}
