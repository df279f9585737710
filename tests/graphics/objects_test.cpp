// Bitmap contexts, images made from bytes and colour spaces: which layouts
// are accepted, what the getters report and how pixels are read.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "graphics/graphics_test_util.h"

using namespace gfxtest;

namespace {

enum class Model { None, Gray, RGB, CMYK };

Space make_space(Model model) {
  switch (model) {
    case Model::Gray: return Space(CGColorSpaceCreateDeviceGray());
    case Model::RGB: return Space(CGColorSpaceCreateDeviceRGB());
    case Model::CMYK: return Space(CGColorSpaceCreateDeviceCMYK());
    case Model::None: break;
  }
  return nullptr;
}

}  // namespace

TEST(ColorSpace, ReportsModelAndCountsReferences) {
  EXPECT_EQ(CGColorSpaceGetModel(make_space(Model::Gray).get()), kCGColorSpaceModelMonochrome);
  EXPECT_EQ(CGColorSpaceGetModel(make_space(Model::RGB).get()), kCGColorSpaceModelRGB);
  EXPECT_EQ(CGColorSpaceGetModel(make_space(Model::CMYK).get()), kCGColorSpaceModelCMYK);
  EXPECT_EQ(CGColorSpaceGetModel(nullptr), kCGColorSpaceModelUnknown);

  // A context keeps its colour space alive after the caller's release.
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  EXPECT_EQ(CGColorSpaceRetain(rgb), rgb);
  CGColorSpaceRelease(rgb);
  CGContextRef ctx = CGBitmapContextCreate(nullptr, 2, 2, 8, 0, rgb, kCGImageAlphaPremultipliedLast);
  CGColorSpaceRelease(rgb);
  EXPECT_EQ(CGColorSpaceGetModel(CGBitmapContextGetColorSpace(ctx)), kCGColorSpaceModelRGB);
  EXPECT_EQ(CGContextRetain(ctx), ctx);
  CGContextRelease(ctx);
  CGContextRelease(ctx);
  CGColorSpaceRelease(nullptr);
  CGContextRelease(nullptr);
  CGImageRelease(nullptr);
}

TEST(BitmapContext, AcceptsThePlatformLayouts) {
  struct Case {
    Model model;
    uint32_t info;
    size_t bytes_per_pixel;
  };
  const Case cases[] = {
      {Model::RGB, kCGImageAlphaPremultipliedLast, 4},
      {Model::RGB, kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big, 4},
      {Model::RGB, kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little, 4},
      {Model::RGB, kCGImageAlphaPremultipliedFirst, 4},
      {Model::RGB, kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, 4},
      {Model::RGB, kCGImageAlphaNoneSkipLast, 4},
      {Model::RGB, kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Big, 4},
      {Model::Gray, kCGImageAlphaNone, 1},
      {Model::CMYK, kCGImageAlphaNone, 4},
      {Model::CMYK, kCGImageAlphaNone | kCGBitmapByteOrder32Little, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("info " + std::to_string(c.info));
    Space space = make_space(c.model);
    // Own zero-filled buffer, bytes per row computed from 0.
    Context own(CGBitmapContextCreate(nullptr, 7, 3, 8, 0, space.get(), c.info));
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(CGBitmapContextGetWidth(own.get()), 7u);
    EXPECT_EQ(CGBitmapContextGetHeight(own.get()), 3u);
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(own.get()), 7 * c.bytes_per_pixel);
    EXPECT_EQ(CGBitmapContextGetBitsPerComponent(own.get()), 8u);
    EXPECT_EQ(CGBitmapContextGetBitsPerPixel(own.get()), 8 * c.bytes_per_pixel);
    EXPECT_EQ(CGBitmapContextGetBitmapInfo(own.get()), c.info);
    EXPECT_EQ(CGBitmapContextGetAlphaInfo(own.get()), c.info & kCGBitmapAlphaInfoMask);
    const auto* data = static_cast<const uint8_t*>(CGBitmapContextGetData(own.get()));
    for (size_t i = 0; i < 7 * 3 * c.bytes_per_pixel; ++i) ASSERT_EQ(data[i], 0);

    // The caller's buffer, with padded rows, is used as it is.
    uint8_t buffer[3 * 40];
    Context theirs(CGBitmapContextCreate(buffer, 7, 3, 8, 40, space.get(), c.info));
    ASSERT_NE(theirs, nullptr);
    EXPECT_EQ(CGBitmapContextGetData(theirs.get()), buffer);
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(theirs.get()), 40u);
  }
}

TEST(BitmapContext, RefusesOtherLayoutsAndGeometries) {
  struct Case {
    const char* what;
    Model model;
    uint32_t info;
    size_t width, height, bits_per_component, bytes_per_row;
  };
  const uint32_t pl = kCGImageAlphaPremultipliedLast;
  const Case cases[] = {
      {"no colour space", Model::None, pl, 4, 4, 8, 16},
      {"alpha only without space", Model::None, kCGImageAlphaOnly, 4, 4, 8, 4},
      {"gray with premultiplied last", Model::Gray, pl, 4, 4, 8, 8},
      {"gray with skip", Model::Gray, kCGImageAlphaNoneSkipLast, 4, 4, 8, 8},
      {"gray with 32-bit order", Model::Gray, kCGBitmapByteOrder32Little, 4, 4, 8, 4},
      {"CMYK with premultiplied last", Model::CMYK, pl, 4, 4, 8, 20},
      {"CMYK with premultiplied first", Model::CMYK, kCGImageAlphaPremultipliedFirst, 4, 4, 8, 20},
      {"RGB without alpha", Model::RGB, kCGImageAlphaNone, 4, 4, 8, 16},
      {"RGB with straight last", Model::RGB, kCGImageAlphaLast, 4, 4, 8, 16},
      {"RGB with straight first", Model::RGB, kCGImageAlphaFirst, 4, 4, 8, 16},
      {"RGB with alpha only", Model::RGB, kCGImageAlphaOnly, 4, 4, 8, 16},
      {"RGB with 16-bit order", Model::RGB, pl | kCGBitmapByteOrder16Little, 4, 4, 8, 16},
      {"unknown byte order", Model::RGB, pl | 0x5000, 4, 4, 8, 16},
      {"unknown alpha info", Model::RGB, 9, 4, 4, 8, 16},
      {"float components", Model::RGB, pl | kCGBitmapFloatComponents, 4, 4, 8, 16},
      {"16 bits per component", Model::RGB, pl, 4, 4, 16, 32},
      {"5 bits per component", Model::RGB, kCGImageAlphaNoneSkipFirst, 4, 4, 5, 8},
      {"zero width", Model::RGB, pl, 0, 4, 8, 16},
      {"zero height", Model::RGB, pl, 4, 0, 8, 16},
      {"short rows", Model::RGB, pl, 4, 4, 8, 15},
      {"short gray rows", Model::Gray, kCGImageAlphaNone, 4, 4, 8, 3},
      {"width x 4 overflows", Model::RGB, pl, SIZE_MAX / 2, 1, 8, 0},
      {"rows x height overflows", Model::RGB, pl, 4, SIZE_MAX / 8, 8, 16},
      {"buffer beyond the address space", Model::Gray, kCGImageAlphaNone, SIZE_MAX / 2 + 1, 1, 8, 0},
  };
  for (const Case& c : cases) {
    Space space = make_space(c.model);
    EXPECT_EQ(CGBitmapContextCreate(nullptr, c.width, c.height, c.bits_per_component, c.bytes_per_row,
                                    space.get(), c.info),
              nullptr)
        << c.what;
  }
}

// The sampling set-up of the host: a 10.5 x 10.5-point image gives a 10 x 10
// context with 42-byte rows in a 441-byte buffer, and drawing stays inside it.
TEST(BitmapContext, FractionalSizedSamplingBufferStaysInBounds) {
  Space rgb = rgb_space();
  auto* buffer = static_cast<uint8_t*>(calloc(1, 441));
  Context ctx(CGBitmapContextCreate(buffer, 10, 10, 8, 42, rgb.get(), kCGImageAlphaPremultipliedLast));
  ASSERT_NE(ctx, nullptr);
  Image image = uniform_image(21, 21, {30, 60, 90, 255});
  CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 10.5, 10.5), image.get());
  const uint8_t pixel[4] = {30, 60, 90, 255};
  for (size_t r = 0; r < 10; ++r) {
    for (size_t i = 0; i < 42; ++i) {
      const uint8_t want = i < 40 ? pixel[i % 4] : 0;
      ASSERT_EQ(buffer[r * 42 + i], want) << "row " << r << " byte " << i;  // row padding untouched
    }
  }
  ctx.reset();
  free(buffer);
}

TEST(Image, ReadsEveryLayoutAsPremultipliedRGBA) {
  struct Case {
    const char* what;
    Model model;
    uint32_t info;
    std::vector<uint8_t> pixel;  // the bytes of one pixel as stored
    RGBA want;
    size_t bits_per_pixel;
  };
  const Case cases[] = {
      {"RGBA premultiplied",
       Model::RGB,
       kCGImageAlphaPremultipliedLast,
       {50, 60, 70, 128},
       {50, 60, 70, 128},
       32},
      {"RGBA straight", Model::RGB, kCGImageAlphaLast, {200, 100, 0, 128}, {100, 50, 0, 128}, 32},
      {"ARGB straight", Model::RGB, kCGImageAlphaFirst, {51, 255, 10, 20}, {51, 2, 4, 51}, 32},
      {"ARGB premultiplied", Model::RGB, kCGImageAlphaPremultipliedFirst, {90, 1, 2, 3}, {1, 2, 3, 90}, 32},
      {"BGRA (first, 32Little)",
       Model::RGB,
       kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little,
       {3, 2, 1, 90},
       {1, 2, 3, 90},
       32},
      {"ABGR (last, 32Little)",
       Model::RGB,
       kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little,
       {90, 3, 2, 1},
       {1, 2, 3, 90},
       32},
      {"RGBX", Model::RGB, kCGImageAlphaNoneSkipLast, {7, 8, 9, 0}, {7, 8, 9, 255}, 32},
      {"XRGB", Model::RGB, kCGImageAlphaNoneSkipFirst, {0, 7, 8, 9}, {7, 8, 9, 255}, 32},
      {"RGB", Model::RGB, kCGImageAlphaNone, {7, 8, 9}, {7, 8, 9, 255}, 24},
      {"gray", Model::Gray, kCGImageAlphaNone, {99}, {99, 99, 99, 255}, 8},
      {"gray + straight alpha", Model::Gray, kCGImageAlphaLast, {255, 51}, {51, 51, 51, 51}, 16},
      {"alpha + gray, 16Little",
       Model::Gray,
       kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder16Little,
       {40, 200},
       {40, 40, 40, 200},
       16},
      {"CMYK", Model::CMYK, kCGImageAlphaNone, {255, 0, 0, 0}, {0, 255, 255, 255}, 32},
      {"CMYK with black", Model::CMYK, kCGImageAlphaNone, {0, 0, 0, 51}, {204, 204, 204, 255}, 32},
      {"alpha only", Model::None, kCGImageAlphaOnly, {77}, {0, 0, 0, 77}, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Space space = make_space(c.model);
    // Two rows of two pixels, rows padded by 3 bytes; the pixel sits at (1, 1).
    const size_t bpp = c.pixel.size(), stride = 2 * bpp + 3;
    std::vector<uint8_t> bytes(2 * stride, 0);
    std::memcpy(&bytes[stride + bpp], c.pixel.data(), bpp);
    Image image(sim_CGImageCreateWithBytes(2, 2, stride, space.get(), c.info, bytes.data()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(CGImageGetWidth(image.get()), 2u);
    EXPECT_EQ(CGImageGetHeight(image.get()), 2u);
    EXPECT_EQ(CGImageGetBitsPerComponent(image.get()), 8u);
    EXPECT_EQ(CGImageGetBitsPerPixel(image.get()), c.bits_per_pixel);
    EXPECT_EQ(CGImageGetBytesPerRow(image.get()), stride);
    EXPECT_EQ(CGImageGetBitmapInfo(image.get()), c.info);
    EXPECT_EQ(CGImageGetAlphaInfo(image.get()), c.info & kCGBitmapAlphaInfoMask);
    EXPECT_EQ(CGColorSpaceGetModel(CGImageGetColorSpace(image.get())), CGColorSpaceGetModel(space.get()));
    RGBA got{};
    ASSERT_TRUE(sim_CGImageGetPixel(image.get(), 1, 1, got.data()));
    EXPECT_EQ(got, c.want);
    EXPECT_FALSE(sim_CGImageGetPixel(image.get(), 2, 1, got.data()));
    EXPECT_FALSE(sim_CGImageGetPixel(image.get(), 0, 2, got.data()));
  }
  uint8_t rgba[4];
  EXPECT_FALSE(sim_CGImageGetPixel(nullptr, 0, 0, rgba));
}

TEST(Image, RefusesUnknownLayoutsAndBadGeometry) {
  const uint8_t bytes[64] = {};
  Space rgb = rgb_space(), gray = gray_space(), cmyk = make_space(Model::CMYK);
  const uint32_t pl = kCGImageAlphaPremultipliedLast;
  EXPECT_EQ(sim_CGImageCreateWithBytes(2, 2, 8, rgb.get(), pl, nullptr), nullptr);
  EXPECT_EQ(sim_CGImageCreateWithBytes(0, 2, 8, rgb.get(), pl, bytes), nullptr);
  EXPECT_EQ(sim_CGImageCreateWithBytes(2, 0, 8, rgb.get(), pl, bytes), nullptr);
  EXPECT_EQ(sim_CGImageCreateWithBytes(2, 2, 7, rgb.get(), pl, bytes), nullptr);
  EXPECT_EQ(sim_CGImageCreateWithBytes(2, 2, 8, nullptr, pl, bytes), nullptr);
  EXPECT_EQ(sim_CGImageCreateWithBytes(2, 2, 8, rgb.get(), kCGImageAlphaOnly, bytes), nullptr);
  EXPECT_EQ(sim_CGImageCreateWithBytes(2, 2, 8, cmyk.get(), pl, bytes), nullptr);
  EXPECT_EQ(
      sim_CGImageCreateWithBytes(2, 2, 8, gray.get(), kCGImageAlphaNone | kCGBitmapByteOrder32Little, bytes),
      nullptr);
  EXPECT_EQ(
      sim_CGImageCreateWithBytes(2, 2, 8, rgb.get(), kCGImageAlphaNone | kCGBitmapByteOrder32Big, bytes),
      nullptr);
  EXPECT_EQ(sim_CGImageCreateWithBytes(SIZE_MAX / 2, 2, 0, rgb.get(), pl, bytes), nullptr);
}

// A gray image (device gray, no alpha) is creatable, and the host's sampling
// context built from its colour space with premultiplied-last alpha is
// refused.
TEST(Image, GrayImageSpaceRefusesAnRGBALayoutContext) {
  Space gray = gray_space();
  const uint8_t levels[6] = {1, 2, 3, 4, 5, 6};
  Image image(sim_CGImageCreateWithBytes(3, 2, 0, gray.get(), kCGImageAlphaNone, levels));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CGImageGetBytesPerRow(image.get()), 3u);
  CGColorSpaceRef space = CGImageGetColorSpace(image.get());
  EXPECT_EQ(CGColorSpaceGetModel(space), kCGColorSpaceModelMonochrome);
  std::vector<uint8_t> buffer(3 * 2 * 4);
  EXPECT_EQ(CGBitmapContextCreate(buffer.data(), 3, 2, 8, 12, space, kCGImageAlphaPremultipliedLast),
            nullptr);
}

TEST(Image, SnapshotOfAContextCopiesItsPixels) {
  Context ctx = rgba_context(3, 2, kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  Image red = uniform_image(1, 1, {128, 0, 0, 128});
  CGContextDrawImage(ctx.get(), CGRectMake(2, 0, 1, 1), red.get());
  Image snapshot(CGBitmapContextCreateImage(ctx.get()));
  ASSERT_NE(snapshot, nullptr);
  EXPECT_EQ(CGImageGetBitmapInfo(snapshot.get()),
            kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  // Later drawing does not reach the snapshot.
  Image blue = uniform_image(1, 1, {0, 0, 255, 255});
  CGContextDrawImage(ctx.get(), CGRectMake(0, 0, 3, 2), blue.get());
  RGBA got{};
  ASSERT_TRUE(sim_CGImageGetPixel(snapshot.get(), 2, 1, got.data()));
  EXPECT_EQ(got, (RGBA{128, 0, 0, 128}));
  ASSERT_TRUE(sim_CGImageGetPixel(snapshot.get(), 0, 0, got.data()));
  EXPECT_EQ(got, (RGBA{0, 0, 0, 0}));
  EXPECT_EQ(CGBitmapContextCreateImage(nullptr), nullptr);
}
