// PNG decoding: every colour type decodes to premultiplied pixels in the
// colour model the file declares, and bad input is reported rather than
// crashing.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graphics/graphics_test_util.h"

using namespace gfxtest;

namespace {

// What to write: rows are in the PNG's own packed sample format (16-bit
// samples big-endian), one std::string-like byte block per row.
struct PngPicture {
  png_uint_32 width = 0, height = 0;
  int colour_type = PNG_COLOR_TYPE_RGB;
  int depth = 8;
  bool interlaced = false;
  std::vector<std::vector<uint8_t>> rows;
  std::vector<png_color> palette;
  std::vector<png_byte> palette_alpha;  // tRNS for palettes
  bool transparent_colour = false;      // tRNS for gray and RGB
  png_color_16 transparent = {};
};

// libpng reports write errors by longjmp to here; nothing in this frame has
// a destructor.
bool write_with_libpng(std::FILE* file, const PngPicture& picture, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, picture.width, picture.height, picture.depth, picture.colour_type,
               picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!picture.palette.empty()) png_set_PLTE(png, info, picture.palette.data(), int(picture.palette.size()));
  if (!picture.palette_alpha.empty()) {
    png_set_tRNS(png, info, picture.palette_alpha.data(), int(picture.palette_alpha.size()), nullptr);
  }
  if (picture.transparent_colour) png_set_tRNS(png, info, nullptr, 0, &picture.transparent);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

class PngDecoding : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "gfxpngXXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    for (const std::string& f : files_) std::remove(f.c_str());
    rmdir(dir_.c_str());
  }

  std::string write_png(const std::string& name, PngPicture picture) {
    const std::string path = dir_ + "/" + name;
    files_.push_back(path);
    std::vector<png_bytep> rows;
    for (auto& row : picture.rows) rows.push_back(row.data());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (!file) return path;
    EXPECT_TRUE(write_with_libpng(file, picture, rows.data()));
    std::fclose(file);
    return path;
  }

  std::string write_bytes(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    files_.push_back(path);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static Image load(const std::string& path) {
    char error[256] = "";
    Image image(sim_CGImageCreateWithPNGFile(path.c_str(), error, sizeof error));
    EXPECT_NE(image, nullptr) << error;
    return image;
  }

  static testing::AssertionResult pixels_are(CGImageRef image, const std::vector<RGBA>& want) {
    if (!image) return testing::AssertionFailure() << "no image";
    const size_t w = CGImageGetWidth(image), h = CGImageGetHeight(image);
    if (w * h != want.size()) return testing::AssertionFailure() << "size " << w << "x" << h;
    for (size_t i = 0; i < want.size(); ++i) {
      RGBA got{};
      sim_CGImageGetPixel(image, i % w, i / w, got.data());
      if (got != want[i]) {
        return testing::AssertionFailure() << "pixel " << i % w << "," << i / w << " is " << int(got[0])
                                           << "," << int(got[1]) << "," << int(got[2]) << "," << int(got[3]);
      }
    }
    return testing::AssertionSuccess();
  }

  std::string dir_;
  std::vector<std::string> files_;
};

}  // namespace

TEST_F(PngDecoding, PremultipliesStraightAlphaOnLoad) {
  PngPicture picture;
  picture.width = 3;
  picture.height = 2;
  picture.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
  picture.rows = {{200, 100, 50, 128, 255, 255, 255, 0, 1, 2, 3, 255},
                  {255, 0, 0, 1, 10, 20, 30, 254, 0, 0, 0, 0}};
  Image image = load(write_png("rgba.png", picture));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CGImageGetBitsPerComponent(image.get()), 8u);
  EXPECT_EQ(CGImageGetBitsPerPixel(image.get()), 32u);
  EXPECT_EQ(CGImageGetBytesPerRow(image.get()), 12u);
  EXPECT_EQ(CGImageGetAlphaInfo(image.get()), kCGImageAlphaPremultipliedLast);
  EXPECT_EQ(CGColorSpaceGetModel(CGImageGetColorSpace(image.get())), kCGColorSpaceModelRGB);
  EXPECT_TRUE(pixels_are(
      image.get(),
      {{100, 50, 25, 128}, {0, 0, 0, 0}, {1, 2, 3, 255}, {1, 0, 0, 1}, {10, 20, 30, 254}, {0, 0, 0, 0}}));
}

TEST_F(PngDecoding, ExpandsEveryColourType) {
  struct Case {
    const char* name;
    PngPicture picture;
    std::vector<RGBA> want;
    CGImageAlphaInfo alpha;
    // Gray files keep their colour model: 8 bits a pixel, 16 with alpha.
    CGColorSpaceModel model = kCGColorSpaceModelRGB;
    size_t bits_per_pixel = 32;
  };
  std::vector<Case> cases;
  {
    PngPicture s;
    s.width = 3, s.height = 1, s.colour_type = PNG_COLOR_TYPE_GRAY;
    s.rows = {{0, 128, 255}};
    cases.push_back({"gray",
                     s,
                     {{0, 0, 0, 255}, {128, 128, 128, 255}, {255, 255, 255, 255}},
                     kCGImageAlphaNone,
                     kCGColorSpaceModelMonochrome,
                     8});
  }
  {
    PngPicture s;
    s.width = 3, s.height = 1, s.colour_type = PNG_COLOR_TYPE_GRAY, s.depth = 1;
    s.rows = {{0b10100000}};
    cases.push_back({"1-bit gray",
                     s,
                     {{255, 255, 255, 255}, {0, 0, 0, 255}, {255, 255, 255, 255}},
                     kCGImageAlphaNone,
                     kCGColorSpaceModelMonochrome,
                     8});
  }
  {
    PngPicture s;
    s.width = 2, s.height = 1, s.colour_type = PNG_COLOR_TYPE_GRAY_ALPHA;
    s.rows = {{200, 51, 7, 255}};
    cases.push_back({"gray + alpha",
                     s,
                     {{40, 40, 40, 51}, {7, 7, 7, 255}},
                     kCGImageAlphaPremultipliedLast,
                     kCGColorSpaceModelMonochrome,
                     16});
  }
  {
    PngPicture s;
    s.width = 2, s.height = 1, s.colour_type = PNG_COLOR_TYPE_GRAY;
    s.transparent_colour = true;
    s.transparent.gray = 9;
    s.rows = {{9, 10}};
    cases.push_back({"gray with a transparent level",
                     s,
                     {{0, 0, 0, 0}, {10, 10, 10, 255}},
                     kCGImageAlphaPremultipliedLast,
                     kCGColorSpaceModelMonochrome,
                     16});
  }
  {
    PngPicture s;
    s.width = 3, s.height = 1, s.colour_type = PNG_COLOR_TYPE_PALETTE, s.depth = 4;
    s.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    s.palette_alpha = {255, 128};  // the third entry has none: opaque
    s.rows = {{0x01, 0x20}};
    cases.push_back({"4-bit palette with transparency",
                     s,
                     {{255, 0, 0, 255}, {0, 128, 0, 128}, {0, 0, 255, 255}},
                     kCGImageAlphaPremultipliedLast});
  }
  {
    PngPicture s;
    s.width = 2, s.height = 1, s.colour_type = PNG_COLOR_TYPE_PALETTE;
    s.palette = {{9, 8, 7}, {1, 2, 3}};
    s.rows = {{1, 0}};
    cases.push_back({"opaque palette", s, {{1, 2, 3, 255}, {9, 8, 7, 255}}, kCGImageAlphaNoneSkipLast});
  }
  {
    PngPicture s;
    s.width = 2, s.height = 1, s.colour_type = PNG_COLOR_TYPE_RGB, s.depth = 16;
    s.rows = {{0xff, 0xff, 0x80, 0x80, 0x00, 0x00, 0x7f, 0x7f, 0x01, 0x01, 0xfe, 0xfe}};
    cases.push_back({"16-bit RGB", s, {{255, 128, 0, 255}, {127, 1, 254, 255}}, kCGImageAlphaNoneSkipLast});
  }
  {
    PngPicture s;
    s.width = 1, s.height = 1, s.colour_type = PNG_COLOR_TYPE_RGB_ALPHA, s.depth = 16;
    s.rows = {{0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x80, 0x80}};
    cases.push_back({"16-bit RGBA", s, {{128, 0, 0, 128}}, kCGImageAlphaPremultipliedLast});
  }
  {
    PngPicture s;
    s.width = 2, s.height = 1, s.colour_type = PNG_COLOR_TYPE_RGB;
    s.transparent_colour = true;
    s.transparent.red = 10, s.transparent.green = 20, s.transparent.blue = 30;
    s.rows = {{10, 20, 30, 10, 20, 31}};
    cases.push_back({"RGB with a transparent colour",
                     s,
                     {{0, 0, 0, 0}, {10, 20, 31, 255}},
                     kCGImageAlphaPremultipliedLast});
  }
  {
    PngPicture s;
    s.width = 9, s.height = 9, s.colour_type = PNG_COLOR_TYPE_RGB, s.interlaced = true;
    std::vector<RGBA> want;
    for (png_uint_32 y = 0; y < 9; ++y) {
      s.rows.emplace_back();
      for (png_uint_32 x = 0; x < 9; ++x) {
        const uint8_t px[3] = {uint8_t(x * 20), uint8_t(y * 25), uint8_t(x + y)};
        s.rows.back().insert(s.rows.back().end(), px, px + 3);
        want.push_back({px[0], px[1], px[2], 255});
      }
    }
    cases.push_back({"interlaced RGB", s, want, kCGImageAlphaNoneSkipLast});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Image image = load(write_png(std::string(c.name) + ".png", c.picture));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(CGImageGetWidth(image.get()), c.picture.width);
    EXPECT_EQ(CGImageGetHeight(image.get()), c.picture.height);
    EXPECT_EQ(CGImageGetBitsPerPixel(image.get()), c.bits_per_pixel);
    EXPECT_EQ(CGImageGetBytesPerRow(image.get()), c.picture.width * c.bits_per_pixel / 8);
    EXPECT_EQ(CGColorSpaceGetModel(CGImageGetColorSpace(image.get())), c.model);
    EXPECT_EQ(CGImageGetAlphaInfo(image.get()), c.alpha);
    EXPECT_TRUE(pixels_are(image.get(), c.want));
  }
}

TEST_F(PngDecoding, DecodesFromMemoryLikeFromAFile) {
  PngPicture picture;
  picture.width = 2;
  picture.height = 2;
  picture.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
  picture.rows = {{255, 0, 0, 255, 0, 255, 0, 102}, {0, 0, 255, 51, 4, 5, 6, 0}};
  const std::string bytes = read_all(write_png("memory.png", picture));
  char error[128] = "";
  Image image(sim_CGImageCreateWithPNGData(bytes.data(), bytes.size(), error, sizeof error));
  ASSERT_NE(image, nullptr) << error;
  EXPECT_TRUE(pixels_are(image.get(), {{255, 0, 0, 255}, {0, 102, 0, 102}, {0, 0, 51, 51}, {0, 0, 0, 0}}));
}

TEST_F(PngDecoding, ReportsMissingBrokenAndForeignInput) {
  PngPicture picture;
  picture.width = 4;
  picture.height = 4;
  picture.colour_type = PNG_COLOR_TYPE_RGB;
  picture.rows.assign(4, std::vector<uint8_t>(12, 7));
  const std::string good = read_all(write_png("good.png", picture));
  std::string bad_crc = good;
  bad_crc[20] ^= 0x40;  // inside the header chunk

  struct Case {
    const char* what;
    std::string path;
    std::string expect;  // part of the message
  };
  const std::string missing = dir_ + "/absent.png";
  const Case cases[] = {
      {"missing file", missing, "absent.png: No such file or directory"},
      {"text file", write_bytes("notes.png", "just some words, no picture here\n"), "not a PNG image"},
      {"empty file", write_bytes("empty.png", ""), "not a PNG image"},
      {"truncated", write_bytes("truncated.png", good.substr(0, good.size() / 2)), "bad PNG image"},
      {"header checksum", write_bytes("crc.png", bad_crc), "bad PNG image"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char error[256] = "";
    EXPECT_EQ(sim_CGImageCreateWithPNGFile(c.path.c_str(), error, sizeof error), nullptr);
    EXPECT_NE(std::string(error).find(c.expect), std::string::npos) << error;
    const std::string bytes = read_all(c.path);
    EXPECT_EQ(sim_CGImageCreateWithPNGData(bytes.data(), bytes.size(), nullptr, 0), nullptr);
  }

  // The message is cut to the caller's buffer and always terminated.
  char small[8];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(sim_CGImageCreateWithPNGFile(missing.c_str(), small, sizeof small), nullptr);
  EXPECT_EQ(std::strlen(small), 7u);
  EXPECT_EQ(sim_CGImageCreateWithPNGFile(nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(sim_CGImageCreateWithPNGData(nullptr, 0, nullptr, 0), nullptr);
}
