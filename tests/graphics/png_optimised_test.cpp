// The optimised PNG variant of app bundles decodes to the same pixels as the
// ordinary PNG of the same picture, and damaged files are refused with a
// message rather than a crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/graphics_test_util.h"
#include "support/app_fixtures.h"

using namespace corvane_test;
using gfxtest::Image;

namespace {

Image decode(const std::string& bytes, std::string* message = nullptr) {
  char error[256] = "";
  Image image(sim_CGImageCreateWithPNGData(bytes.data(), bytes.size(), error, sizeof error));
  if (message) *message = error;
  return image;
}

// A small picture with every kind of pixel: opaque, half and fully
// transparent, and colours whose red and blue differ.
Picture mixed_picture() {
  Picture p{5, 4, {}};
  for (uint32_t y = 0; y < p.height; ++y)
    for (uint32_t x = 0; x < p.width; ++x) {
      const uint8_t a = uint8_t(x == 0 ? 0 : (x == 1 ? 128 : 255));
      const uint8_t r = uint8_t(std::min<int>(a, 40 * x + 7 * y)), g = uint8_t(std::min<int>(a, 13 * y)),
                    b = uint8_t(std::min<int>(a, 200 - 30 * x));
      p.rgba.insert(p.rgba.end(), {r, g, b, a});
    }
  return p;
}

}  // namespace

TEST(OptimisedPng, DecodesTheProjectIconsLikeTheirOrdinaryFiles) {
  for (const char* file : {"ember.png", "lagoon@3x.png", "moss@3x.png"}) {
    SCOPED_TRACE(file);
    const Picture icon = project_icon(file);
    ASSERT_FALSE(icon.rgba.empty());
    std::string message;
    Image image = decode(optimised_png(icon), &message);
    ASSERT_NE(image, nullptr) << message;
    EXPECT_EQ(picture_of(image.get()).rgba, icon.rgba);
    EXPECT_EQ(CGColorSpaceGetModel(CGImageGetColorSpace(image.get())), kCGColorSpaceModelRGB);
    EXPECT_EQ(CGImageGetBitmapInfo(image.get()),
              kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    EXPECT_EQ(CGImageGetBitsPerPixel(image.get()), 32u);
  }
}

TEST(OptimisedPng, ByteOrderPremultiplicationAndFilters) {
  const Picture mixed = mixed_picture();
  // Each case decodes to the same premultiplied R, G, B, A bytes. A filter
  // of -1 keeps the default (each of the five by turns). The cases hold no
  // vectors: GCC 12 at -O3 warns falsely about an array of them.
  struct Case {
    const char* what;
    int filter;
    size_t idat_pieces;
  };
  std::vector<uint8_t> opaque = mixed.rgba;
  for (size_t i = 0; i < opaque.size(); i += 4) opaque[i + 3] = 255;
  Picture opaque_picture{mixed.width, mixed.height, opaque};
  const Case cases[] = {
      {"each filter by turns", -1, 2},   {"no filter", 0, 2}, {"Paeth only", 4, 2}, {"one IDAT", -1, 1},
      {"an IDAT per few bytes", -1, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OptimisedOptions options;
    if (c.filter >= 0) options.filters.assign(1, static_cast<uint8_t>(c.filter));
    options.idat_pieces = c.idat_pieces;
    Image image = decode(optimised_png(mixed, options));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(picture_of(image.get()).rgba, mixed.rgba);
  }
  // Kept premultiplied: a half-transparent pixel is not divided back.
  Image half = decode(optimised_png(uniform_picture(1, 1, {60, 30, 90, 128})));
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(picture_of(half.get()).rgba, (std::vector<uint8_t>{60, 30, 90, 128}));

  // Without alpha: B, G, R bytes, opaque pixels, NoneSkipFirst.
  Image rgb = decode(optimised_png(opaque_picture, {.alpha = false}));
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(picture_of(rgb.get()).rgba, opaque);
  EXPECT_EQ(CGImageGetAlphaInfo(rgb.get()), kCGImageAlphaNoneSkipFirst);

  // Colour above its alpha cannot be premultiplied: it is clamped.
  Picture bad = uniform_picture(1, 1, {200, 10, 250, 100});
  Image clamped = decode(optimised_png(bad));
  ASSERT_NE(clamped, nullptr);
  EXPECT_EQ(picture_of(clamped.get()).rgba, (std::vector<uint8_t>{100, 10, 100, 100}));
}

TEST(OptimisedPng, RefusesDamagedFilesWithAMessage) {
  const Picture icon = project_icon("ember.png");
  const std::string good = optimised_png(icon);
  const size_t idat = good.find("IDAT");
  ASSERT_NE(idat, std::string::npos);

  std::string bad_crc = good;
  bad_crc[idat + 10] ^= 0x11;
  std::string bad_filter = optimised_png(uniform_picture(2, 2, {1, 2, 3, 255}), {.filters = {7}});
  std::string no_iend = good.substr(0, good.size() - 12);
  Picture tall = uniform_picture(4, 4, {9, 9, 9, 255});
  std::string short_data = optimised_png(tall);
  // Claim one more row than the data holds.
  const size_t at = 8 + 16;  // the header chunk, after the signature and the CgBI chunk
  short_data.replace(at + 12, 4, std::string("\0\0\0\5", 4));
  {
    // Re-sum the edited header.
    std::string body = short_data.substr(at + 4, 17);
    std::string fixed;
    put_be32(fixed,
             static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
    short_data.replace(at + 4 + 17, 4, fixed);
  }
  std::string wrapped = good;  // a zlib stream (header and checksum) where raw deflate belongs
  {
    const std::string rows = optimised_rows(icon, {});
    uLongf n = compressBound(rows.size());
    std::string z(n, '\0');
    compress(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(rows.data()),
             rows.size());
    z.resize(n);
    wrapped = std::string("\x89PNG\r\n\x1a\n", 8) + png_chunk("CgBI", std::string("\x50\0\x20\x06", 4)) +
              ihdr(icon.width, icon.height, 8, 6, 0) + png_chunk("IDAT", z) + png_chunk("IEND", "");
  }
  std::string huge = std::string("\x89PNG\r\n\x1a\n", 8) +
                     png_chunk("CgBI", std::string("\x50\0\x20\x06", 4)) + ihdr(4000, 4000, 8, 6, 0) +
                     png_chunk("IDAT", raw_deflate(std::string(100, '\0'))) + png_chunk("IEND", "");
  std::string too_wide = std::string("\x89PNG\r\n\x1a\n", 8) +
                         png_chunk("CgBI", std::string("\x50\0\x20\x06", 4)) + ihdr(20000, 1, 8, 6, 0) +
                         png_chunk("IEND", "");
  std::string no_data = std::string("\x89PNG\r\n\x1a\n", 8) +
                        png_chunk("CgBI", std::string("\x50\0\x20\x06", 4)) + ihdr(2, 2, 8, 6, 0) +
                        png_chunk("IEND", "");

  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"cut inside the image data", good.substr(0, idat + 40), "ends early"},
      {"cut inside the header", good.substr(0, 30), "ends early"},
      {"checksum", bad_crc, "CRC error"},
      {"unknown row filter", bad_filter, "unknown row filter 7"},
      {"no end chunk", no_iend, "ends early"},
      {"fewer rows than the header says", short_data, "ends early"},
      {"zlib wrapper instead of raw deflate", wrapped, "image data"},
      {"too little data for the size", huge, "ends early"},
      {"too wide", too_wide, "too large"},
      {"no image data", no_data, "no image data"},
      {"16-bit", optimised_png(uniform_picture(1, 1, {1, 1, 1, 255}), {.depth = 16}), "bit depth 16"},
      {"interlaced", optimised_png(uniform_picture(1, 1, {1, 1, 1, 255}), {.interlace = 1}), "interlaced"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string message;
    EXPECT_EQ(decode(c.bytes, &message), nullptr);
    EXPECT_NE(message.find("bad PNG image"), std::string::npos) << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
}

TEST(OptimisedPng, FilesNameThemselvesInMessages) {
  TempDir dir;
  const std::string path = dir.path() + "/Icon@2x.png";
  write_bytes(path, optimised_png(project_icon("moss.png")).substr(0, 60));
  char error[256] = "";
  EXPECT_EQ(sim_CGImageCreateWithPNGFile(path.c_str(), error, sizeof error), nullptr);
  EXPECT_NE(std::string(error).find(path + ": bad PNG image"), std::string::npos) << error;
}

// Decoded pictures count against one cap for the process: the fifth of
// the largest size is refused while four are held, and fits once one goes.
TEST(OptimisedPng, DecodedPicturesShareOneMemoryCap) {
  const std::string rows = std::string(size_t(4096) * 4097, '\0');
  const std::string png = crafted_png(4096, 4096, 0, rows);
  std::vector<CGImageRef> held;
  char message[256] = {};
  for (int i = 0; i < 4; ++i) {
    held.push_back(sim_CGImageCreateWithPNGData(png.data(), png.size(), message, sizeof message));
    ASSERT_NE(held.back(), nullptr) << message;
  }
  EXPECT_EQ(sim_CGImageCreateWithPNGData(png.data(), png.size(), message, sizeof message), nullptr);
  EXPECT_NE(std::string(message).find(
                "64 MiB of pixels and the 256 MiB that images already hold would pass the 256 MiB"),
            std::string::npos)
      << message;
  CGImageRelease(held.back());
  held.back() = sim_CGImageCreateWithPNGData(png.data(), png.size(), message, sizeof message);
  EXPECT_NE(held.back(), nullptr) << message;
  for (CGImageRef image : held) CGImageRelease(image);
}
