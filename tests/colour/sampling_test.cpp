// Icon sampling through the added methods of a loaded process: pixel-average
// sampling (adaptiveColorForImage:) and one-pixel sampling
// (adaptiveAlternateColorForImage:), with each host class's differences.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "colour_test_util.h"

using namespace colour_test;
using namespace corvane_test;
using sim::plist::Dictionary;

// Sizes whose byte count the allocator cannot meet must make calloc answer
// NULL (as the C library does), not stop the process.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}

namespace {

constexpr const char* kAverage = "adaptiveColorForImage:";
constexpr const char* kOnePixel = "adaptiveAlternateColorForImage:";
const Rgba kOpaqueBlack = {0, 0, 0, 1};
const Rgba kClear = {0, 0, 0, 0};

// The one-pixel result for a pixel of premultiplied bytes (v, v, v, a) with
// a != 0, as the banner (gain 1) or the widget (gain 2) computes it.
Rgba one_pixel(double gain, double r, double g, double b, double a) {
  const double alpha = a / 255.0;
  const double m = gain * (alpha / 255.0);
  return {m * r, m * g, m * b, alpha};
}

TEST(PixelAverage, UniformOpaqueColoursAtEachScale) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  const std::array<uint8_t, 3> colours[] = {{255, 0, 0}, {0, 128, 255}, {17, 34, 51}, {255, 255, 255}};
  // 40 points: an icon; 100 points: sums over more pixels than a small
  // accumulator holds.
  for (double points : {40.0, 100.0}) {
    for (const auto& c : colours) {
      for (double scale : {1.0, 2.0, 3.0}) {
        id image = sim::make_solid_image(c[0], c[1], c[2], 255, {points, points}, scale);
        for (const char* owner : kAllOwners) {
          SCOPED_TRACE(std::string(owner) + " " + std::to_string(points) + " points at scale " +
                       std::to_string(scale) + ", colour " + std::to_string(c[0]) + "," +
                       std::to_string(c[1]) + "," + std::to_string(c[2]));
          EXPECT_TRUE(is_exactly(components(colour_for(make_object(owner), kAverage, image)),
                                 {unit(c[0]), unit(c[1]), unit(c[2]), 1.0}));
        }
      }
    }
  }
  // The division is single precision: 128 / 255 as a float, not as a double.
  EXPECT_NE(unit(128), 128.0 / 255.0);
  EXPECT_NEAR(unit(128), 0.50196, 1e-5);
}

// Both samplers on the same images, for every class that has them.
TEST(Sampling, BothSamplersOnTheEdgeImages) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  struct Case {
    const char* what;
    id image;
    Rgba average;     // every class
    Rgba banner_one;  // one-pixel, banner
    Rgba widget_one;  // one-pixel, widget
  } cases[] = {
      {"nil", nullptr, kOpaqueBlack, kClear, kClear},
      {"fully transparent", sim::make_solid_image(0, 0, 0, 0, {40, 40}, 2), kOpaqueBlack, kClear, kClear},
      {"no bitmap", sim::make_image(nullptr, {40, 40}, 1), kOpaqueBlack, kClear, kClear},
      {"opaque red",
       sim::make_solid_image(255, 0, 0, 255, {40, 40}, 1),
       {1, 0, 0, 1},
       {1, 0, 0, 1},
       {2, 0, 0, 1}},
      {"white at alpha 128",
       sim::make_solid_image(128, 128, 128, 128, {40, 40}, 1),
       {unit(128), unit(128), unit(128), 1},
       one_pixel(1, 128, 128, 128, 128),
       one_pixel(2, 128, 128, 128, 128)},
      // A transparent pixel keeps its colour bytes over 255, at alpha 0.
      {"additive, alpha 0",
       sim::make_solid_image(51, 102, 0, 0, {40, 40}, 1),
       {unit(51), unit(102), 0, 1},
       {0.2, 0.4, 0, 0},
       {0.2, 0.4, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* owner : kAllOwners) {
      SCOPED_TRACE(owner);
      EXPECT_TRUE(is_exactly(components(colour_for(make_object(owner), kAverage, c.image)), c.average));
    }
    EXPECT_TRUE(is_exactly(components(colour_for(make_object(kBanner), kOnePixel, c.image)), c.banner_one));
    EXPECT_TRUE(is_exactly(components(colour_for(make_object(kWidget), kOnePixel, c.image)), c.widget_one));
  }
  // The figures the behaviour is known by.
  EXPECT_NEAR(one_pixel(1, 128, 128, 128, 128)[0], 0.25196, 1e-5);
  EXPECT_NEAR(one_pixel(1, 128, 128, 128, 128)[3], 0.50196, 1e-5);
}

TEST(PixelAverage, IntegerMeansDropTheRemainder) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  struct Case {
    const char* what;
    size_t width, height;
    std::vector<uint8_t> rgba;
    Rgba want;
  } cases[] = {
      {"red 255 and 0", 2, 1, {255, 0, 0, 255, 0, 0, 0, 255}, {unit(127), 0, 0, 1}},
      {"green 1, 1, 0", 3, 1, {0, 1, 0, 255, 0, 1, 0, 255, 0, 0, 0, 255}, {0, 0, 0, 1}},
      // A transparent pixel adds nothing but still counts.
      {"blue 200 beside clear", 2, 1, {0, 0, 200, 255, 0, 0, 0, 0}, {0, 0, unit(100), 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    id image = image_from_rgba(c.width, c.height, c.rgba, {double(c.width), double(c.height)});
    EXPECT_TRUE(is_exactly(components(colour_for(make_object(kBanner), kAverage, image)), c.want));
  }
}

// A fractional size: a bitmap of trunc(w) x trunc(h) pixels with trunc(4w)
// bytes per row in a trunc(4wh)-byte buffer, walked as trunc(wh) groups from
// its start, row padding included. Every pixel lies wholly inside the drawn
// rectangle, so the buffer can be laid out here independently.
TEST(PixelAverage, FractionalSizesWalkWholeGroupsFromTheBufferStart) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  const uint8_t colour[4] = {200, 100, 50, 255};
  struct Case {
    double w, h;
    size_t buffer, row, groups;  // as the bitmap is laid out
  } cases[] = {
      {10.5, 10.5, 441, 42, 110},
      {4.75, 3.5, 66, 19, 16},
      {7.0, 2.5, 70, 28, 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    std::vector<uint8_t> buffer(c.buffer, 0);
    for (size_t y = 0; y < size_t(c.h); ++y)
      for (size_t x = 0; x < size_t(c.w); ++x)
        for (int k = 0; k < 4; ++k) buffer[y * c.row + x * 4 + k] = colour[k];
    uint64_t sums[3] = {};
    for (size_t i = 0; i < c.groups; ++i)
      for (int k = 0; k < 3; ++k) sums[k] += buffer[i * 4 + k];
    const Rgba want = {unit(sums[0] / c.groups), unit(sums[1] / c.groups), unit(sums[2] / c.groups), 1};

    id image = sim::make_solid_image(colour[0], colour[1], colour[2], colour[3], {c.w, c.h}, 1);
    EXPECT_TRUE(is_exactly(components(colour_for(make_object(kBanner), kAverage, image)), want));
  }
}

// The sampling bitmap takes the image's own colour space, which an RGBA
// layout does not suit for gray or CMYK images: opaque black. One-pixel
// sampling draws into device RGB and still sees the picture.
TEST(PixelAverage, ColourSpacesThatRefuseTheContextGiveOpaqueBlack) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  CGColorSpaceRef cmyk_space = CGColorSpaceCreateDeviceCMYK();
  std::vector<uint8_t> cmyk(16 * 16 * 4, 0);  // no ink: white
  CGImageRef cmyk_bitmap = sim_CGImageCreateWithBytes(16, 16, 0, cmyk_space, kCGImageAlphaNone, cmyk.data());
  CGColorSpaceRelease(cmyk_space);
  ASSERT_NE(cmyk_bitmap, nullptr);
  struct Case {
    const char* what;
    id image;
    double level;  // the picture's gray level as one-pixel sampling sees it
  } cases[] = {
      {"gray", sim::make_gray_image(200, {40, 40}, 1), 200},
      {"CMYK", sim::make_image(cmyk_bitmap, {16, 16}, 1), 255},
  };
  CGImageRelease(cmyk_bitmap);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* owner : kAllOwners)
      EXPECT_TRUE(is_exactly(components(colour_for(make_object(owner), kAverage, c.image)), kOpaqueBlack))
          << owner;
    EXPECT_TRUE(is_exactly(components(colour_for(make_object(kBanner), kOnePixel, c.image)),
                           one_pixel(1, c.level, c.level, c.level, 255)));
  }
}

// Sizes no bitmap can have, or that no allocation can meet, give opaque
// black without converting out-of-range values; so do sizes below a point.
TEST(PixelAverage, UnusableSizesGiveOpaqueBlack) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<uint8_t> red(4 * 4 * 4);
  for (size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
  const CGSize sizes[] = {
      {-4, -4},    {-4, 4},    {4, -0.5},      {nan, 4},        {4, nan},
      {inf, inf},  {inf, 4},   {1e200, 1e200}, {1e200, 1e-200}, {2.2e9, 2.2e9},
      {1e19, 0.5}, {1e9, 1e9}, {0, 40},        {40, 0.99},      {0.5, 0.5},
  };
  for (const CGSize& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
    id image = image_from_rgba(4, 4, red, size);
    for (const char* owner : kAllOwners)
      EXPECT_TRUE(is_exactly(components(colour_for(make_object(owner), kAverage, image)), kOpaqueBlack))
          << owner;
  }
  // The same bitmap at a usable size is red.
  EXPECT_TRUE(
      is_exactly(components(colour_for(make_object(kBanner), kAverage, image_from_rgba(4, 4, red, {4, 4}))),
                 {1, 0, 0, 1}));
}

// The bitmap follows the point size, whatever the pixels: above 4096 points
// a side it is refused (opaque black) instead of costing gigabytes.
TEST(PixelAverage, BitmapsAboveTheSamplingLimitAreRefused) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  std::vector<uint8_t> red(4 * 4 * 4);
  for (size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
  const struct {
    CGSize size;
    Rgba expected;
  } cases[] = {
      {{4096, 2}, {1, 0, 0, 1}},  {{2, 4096}, {1, 0, 0, 1}}, {{4096.9, 1}, {1, 0, 0, 1}},
      {{4097, 2}, kOpaqueBlack},  {{2, 4097}, kOpaqueBlack}, {{20000, 20000}, kOpaqueBlack},
      {{1e6, 0.5}, kOpaqueBlack},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size.width) + " x " + std::to_string(c.size.height));
    id image = image_from_rgba(4, 4, red, c.size);
    for (const char* owner : kAllOwners)
      EXPECT_TRUE(is_exactly(components(colour_for(make_object(owner), kAverage, image)), c.expected))
          << owner;
  }
}

// How often the banner's own adaptiveAlternateColorForImage: was reached.
int g_alternate_calls = 0;
IMP g_saved_alternate = nullptr;
id counting_alternate(id self, SEL cmd, id image) {
  ++g_alternate_calls;
  return reinterpret_cast<id (*)(id, SEL, id)>(g_saved_alternate)(self, cmd, image);
}

TEST(PixelAverage, AltAlgoHandsBannersAndWidgetsToOnePixelSampling) {
  for (bool alt : {false, true}) {
    SCOPED_TRACE(alt ? "altAlgo on" : "altAlgo off");
    SimProcess p;
    p.write_settings(Dictionary{{"altAlgo", alt}});
    p.load();
    ASSERT_EQ(p.settings().altAlgo, alt);
    sim::AutoreleasePool pool;
    id image = sim::make_solid_image(128, 128, 128, 128, {40, 40}, 3);
    const Rgba average = {unit(128), unit(128), unit(128), 1};
    struct Case {
      const char* owner;
      Rgba want;
    } cases[] = {
        {kBanner, alt ? one_pixel(1, 128, 128, 128, 128) : average},
        {kWidget, alt ? one_pixel(2, 128, 128, 128, 128) : average},
        {kPlatter, average},  // never consults the setting
    };
    for (const Case& c : cases)
      EXPECT_TRUE(is_exactly(components(colour_for(make_object(c.owner), kAverage, image)), c.want))
          << c.owner;

    // The hand-over is a message to the receiver itself, so a hook on it runs.
    g_alternate_calls = 0;
    MSHookMessageEx(sim::class_named(kBanner), sim::sel(kOnePixel),
                    reinterpret_cast<IMP>(&counting_alternate), &g_saved_alternate);
    colour_for(make_object(kBanner), kAverage, image);
    EXPECT_EQ(g_alternate_calls, alt ? 1 : 0);
  }
}

TEST(Sampling, ThePlatterControllerHasNoOnePixelSampling) {
  SimProcess p;
  p.load();
  EXPECT_TRUE(class_respondsToSelector(sim::class_named(kBanner), sim::sel(kOnePixel)));
  EXPECT_TRUE(class_respondsToSelector(sim::class_named(kWidget), sim::sel(kOnePixel)));
  EXPECT_FALSE(class_respondsToSelector(sim::class_named(kPlatter), sim::sel(kOnePixel)));
  EXPECT_TRUE(class_respondsToSelector(sim::class_named(kPlatter), sim::sel(kAverage)));
}

// --- a project icon, decoded and averaged here with libpng -------------------

struct Decoded {
  size_t side = 0;
  std::vector<uint8_t> rgba;  // premultiplied
};

Decoded decode_premultiplied(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  Decoded out;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return out;
  png.format = PNG_FORMAT_RGBA;  // straight alpha
  std::vector<uint8_t> straight(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, straight.data(), 0, nullptr)) return out;
  out.side = png.width;
  out.rgba = straight;
  for (size_t i = 0; i < straight.size(); i += 4) {
    const unsigned a = straight[i + 3];
    for (int k = 0; k < 3; ++k) out.rgba[i + k] = uint8_t((2u * straight[i + k] * a + 255u) / 510u);
  }
  return out;
}

// The average over the icon drawn at 40 x 40: each bitmap pixel is the
// rounded mean of the scale x scale block of icon pixels it covers.
Rgba expected_average(const Decoded& icon, size_t scale) {
  const size_t side = icon.side / scale;
  uint64_t sums[3] = {};
  for (size_t y = 0; y < side; ++y) {
    for (size_t x = 0; x < side; ++x) {
      for (int k = 0; k < 3; ++k) {
        uint64_t block = 0;
        for (size_t dy = 0; dy < scale; ++dy)
          for (size_t dx = 0; dx < scale; ++dx)
            block += icon.rgba[((y * scale + dy) * icon.side + x * scale + dx) * 4 + k];
        sums[k] += (2 * block + scale * scale) / (2 * scale * scale);
      }
    }
  }
  const uint64_t n = side * side;
  return {unit(sums[0] / n), unit(sums[1] / n), unit(sums[2] / n), 1};
}

TEST(PixelAverage, ProjectIconsMatchAnIndependentAverage) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  const std::string assets = std::string(CORVANE_SOURCE_DIR) + "/assets/icons/";
  for (const char* name : {"ember", "lagoon", "moss"}) {
    for (size_t scale : {1, 3}) {
      const std::string file = std::string(name) + (scale == 3 ? "@3x" : "") + ".png";
      SCOPED_TRACE(file);
      const Decoded icon = decode_premultiplied(assets + file);
      ASSERT_EQ(icon.side, 40 * scale);
      // Loaded as the host loads icons: from a device path, scale from the name.
      const std::string device_path = "/var/mobile/icons/" + file;
      write_bytes(p.host_path(device_path), read_bytes(assets + file));
      id image = sim::send<id>(reinterpret_cast<id>(sim::class_named("UIImage")),
                               sim::sel("imageWithContentsOfFile:"), sim::make_string(device_path));
      ASSERT_NE(image, nullptr);
      const CGSize size = sim::send<CGSize>(image, sim::sel("size"));
      EXPECT_EQ(size.width, 40);
      EXPECT_EQ(size.height, 40);
      // The corners are clear, so they pull the average toward black.
      EXPECT_EQ(icon.rgba[3], 0);
      EXPECT_TRUE(is_exactly(components(colour_for(make_object(kBanner), kAverage, image)),
                             expected_average(icon, scale)));
    }
  }
}

}  // namespace
