// The backdrop blur against a direct computation of its box passes, and the
// PNG encoder against cairo's own writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "sim/render/blur.h"
#include "sim/render/surface.h"

namespace {

// Three rounds of a horizontal then a vertical box pass, each output the
// rounded mean of the 2·box + 1 inputs around it, edges repeated, summed
// afresh for every pixel.
std::vector<uint32_t> direct_blur(std::vector<uint32_t> p, int width, int height, int stride, int box) {
  const uint32_t window = static_cast<uint32_t>(2 * box + 1);
  auto pass = [&](bool across) {
    std::vector<uint32_t> out = p;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint32_t pixel = 0;
        for (int c = 0; c < 4; ++c) {
          uint32_t sum = 0;
          for (int k = -box; k <= box; ++k) {
            const int xx = across ? std::clamp(x + k, 0, width - 1) : x;
            const int yy = across ? y : std::clamp(y + k, 0, height - 1);
            sum += (p[static_cast<size_t>(yy * stride + xx)] >> (8 * c)) & 0xff;
          }
          pixel |= ((sum + window / 2) / window) << (8 * c);
        }
        out[static_cast<size_t>(y * stride + x)] = pixel;
      }
    p = out;
  };
  for (int round = 0; round < 3; ++round) {
    pass(true);
    pass(false);
  }
  return p;
}

// Every channel and position agrees exactly, the padding between rows
// included (left alone), for boxes narrower and wider than the picture.
TEST(BoxBlur, EqualsTheDirectBoxPasses) {
  struct Case {
    int width, height, stride, box;
    bool white;  // every byte 255: the largest sums
  };
  const Case cases[] = {
      {1, 1, 1, 1, false},     {7, 5, 9, 2, false},   {3, 40, 3, 10, false},
      {64, 48, 64, 14, false}, {33, 17, 40, 5, true}, {20, 20, 20, 37, false},
  };
  std::mt19937 random(7);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " stride " << c.stride << " box "
                                    << c.box);
    std::vector<uint32_t> pixels(static_cast<size_t>(c.stride) * c.height);
    for (uint32_t& p : pixels) p = c.white ? 0xffffffffu : random();
    const std::vector<uint32_t> want = direct_blur(pixels, c.width, c.height, c.stride, c.box);
    sim::render::box_blur(pixels, c.width, c.height, c.stride, c.box);
    EXPECT_EQ(pixels, want);
  }
}

// A picture's premultiplied pixels as cairo reads back a PNG file.
std::vector<uint32_t> decoded(const std::string& png) {
  struct Reader {
    const std::string* bytes;
    size_t at = 0;
  } reader{&png};
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(
      [](void* closure, unsigned char* data, unsigned int length) {
        auto* r = static_cast<Reader*>(closure);
        if (r->bytes->size() - r->at < length) return CAIRO_STATUS_READ_ERROR;
        std::memcpy(data, r->bytes->data() + r->at, length);
        r->at += length;
        return CAIRO_STATUS_SUCCESS;
      },
      &reader);
  std::vector<uint32_t> out;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    for (int y = 0; y < h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                          y * cairo_image_surface_get_stride(s));
      out.insert(out.end(), row, row + w);
    }
  }
  cairo_surface_destroy(s);
  return out;
}

// Opaque pictures (written as RGB) and translucent ones (RGBA, colours
// divided by alpha) read back exactly as cairo's writer gives them; a sink
// that fails stops the encoding as failed.
TEST(PngEncoding, ReadsBackAsCairosWriterGivesIt) {
  for (bool opaque : {true, false}) {
    SCOPED_TRACE(opaque ? "opaque" : "translucent");
    sim::render::Surface picture(37, 23);
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(picture.get()));
    const int stride = cairo_image_surface_get_stride(picture.get()) / 4;
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 37; ++x) {
        const uint32_t a = opaque ? 255 : static_cast<uint32_t>(x * 7 + y) % 256;  // 0 and 255 included
        data[y * stride + x] = a << 24 | (a * x / 36) << 16 | (a * y / 22) << 8 | (a * ((x + y) % 5) / 4);
      }
    cairo_surface_mark_dirty(picture.get());

    std::string ours, cairos;
    ASSERT_TRUE(sim::render::encode_png(
        picture,
        [](void* closure, const unsigned char* bytes, size_t length) {
          static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(bytes), length);
          return true;
        },
        &ours));
    cairo_surface_write_to_png_stream(
        picture.get(),
        [](void* closure, const unsigned char* bytes, unsigned int length) {
          static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(bytes), length);
          return CAIRO_STATUS_SUCCESS;
        },
        &cairos);
    EXPECT_EQ(ours[25], opaque ? 2 : 6);  // the header's colour type: RGB or RGBA
    const std::vector<uint32_t> want = decoded(cairos);
    ASSERT_EQ(want.size(), 37u * 23u);
    EXPECT_EQ(decoded(ours), want);

    EXPECT_FALSE(sim::render::encode_png(
        picture, [](void*, const unsigned char*, size_t) { return false; }, nullptr));
  }
}

}  // namespace
