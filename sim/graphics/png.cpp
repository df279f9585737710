// PNG decoding: ordinary PNGs through libpng, the optimised variant of iOS
// app bundles through png_optimised.cpp. Images keep the colour model their
// file declares (gray, gray with alpha, RGB, RGBA; palettes expand to RGB or
// RGBA), with premultiplied RGBA pixels for drawing.
#include <png.h>

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "sim/graphics/cg_objects.h"
#include "sim/graphics/png_formats.h"
#include "sim/io/whole_file.h"

namespace sim::graphics {
namespace {

// Larger files are refused before they are read.
constexpr size_t kMaxFileBytes = 64u << 20;

void report(char* error, size_t error_size, const char* format, ...) __attribute__((format(printf, 3, 4)));
void report(char* error, size_t error_size, const char* format, ...) {
  if (!error || error_size == 0) return;
  va_list args;
  va_start(args, format);
  std::vsnprintf(error, error_size, format, args);
  va_end(args);
}

struct Decode {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  char message[256] = {};
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  bool has_alpha = false;
  bool gray = false;    // a gray or gray + alpha file: one sample of colour
  size_t channels = 0;  // samples per pixel in pixels
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;
};

void on_error(png_structp png, png_const_charp message) {
  auto* decode = static_cast<Decode*>(png_get_error_ptr(png));
  std::snprintf(decode->message, sizeof decode->message, "%s", message);
  png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

void on_read(png_structp png, png_bytep out, size_t length) {
  auto* decode = static_cast<Decode*>(png_get_io_ptr(png));
  if (decode->size - decode->pos < length) png_error(png, "the PNG data ends early");
  std::memcpy(out, decode->data + decode->pos, length);
  decode->pos += length;
}

// Runs libpng over decode->data into decode->pixels with straight alpha:
// gray files as G or G, A; all others as R, G, B, A (opaque ones filled).
// libpng reports errors by longjmp back to this frame, so nothing here has a
// destructor: everything with one lives in *decode, in the caller's frame.
bool run_libpng(png_structp png, png_infop info, Decode* decode) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, decode, on_read);
  png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
  png_read_info(png, info);

  const png_byte colour_type = png_get_color_type(png, info);
  const png_byte depth = png_get_bit_depth(png, info);
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  decode->has_alpha = (colour_type & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
  decode->gray = (colour_type & PNG_COLOR_MASK_COLOR) == 0;
  if (depth == 16) png_set_scale_16(png);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (transparency) png_set_tRNS_to_alpha(png);
  if (!decode->gray && !decode->has_alpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  decode->width = png_get_image_width(png, info);
  decode->height = png_get_image_height(png, info);
  decode->channels = decode->gray ? (decode->has_alpha ? 2 : 1) : 4;
  const size_t stride = size_t(decode->width) * decode->channels;
  if (png_get_rowbytes(png, info) != stride) png_error(png, "unexpected row layout after expansion");
  decode->pixels.resize(stride * decode->height);
  decode->rows.resize(decode->height);
  for (png_uint_32 y = 0; y < decode->height; ++y) decode->rows[y] = decode->pixels.data() + y * stride;
  png_read_image(png, decode->rows.data());
  png_read_end(png, nullptr);
  return true;
}

// The decoded samples as an image in the file's own colour model, its
// pixels premultiplied on load (c x a / 255 rounded to nearest, never
// exactly .5). A gray image describes itself as 8 bits per pixel (16 with
// alpha) in the device gray space; the others as 32-bit device RGB.
CGImageRef make_image(Decode& decode) {
  std::vector<uint8_t> rgba;
  if (decode.gray) {
    const size_t count = size_t(decode.width) * decode.height;
    try {
      rgba.resize(count * 4);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    const uint8_t* in = decode.pixels.data();
    for (size_t i = 0; i < count; ++i, in += decode.channels) {
      const unsigned a = decode.has_alpha ? in[1] : 255u;
      const auto g = uint8_t(a == 255u ? in[0] : (in[0] * a + 127u) / 255u);
      rgba[i * 4 + 0] = rgba[i * 4 + 1] = rgba[i * 4 + 2] = g;
      rgba[i * 4 + 3] = uint8_t(a);
    }
    std::vector<uint8_t>().swap(decode.pixels);
  } else {
    if (decode.has_alpha) {
      uint8_t* p = decode.pixels.data();
      for (size_t i = 0, n = decode.pixels.size(); i < n; i += 4) {
        const unsigned a = p[i + 3];
        if (a == 255) continue;
        for (int k = 0; k < 3; ++k) p[i + k] = uint8_t((p[i + k] * a + 127u) / 255u);
      }
    }
    rgba = std::move(decode.pixels);
  }
  CGColorSpaceRef space = decode.gray ? CGColorSpaceCreateDeviceGray() : CGColorSpaceCreateDeviceRGB();
  const uint32_t info32 = decode.has_alpha ? kCGImageAlphaPremultipliedLast
                                           : (decode.gray ? kCGImageAlphaNone : kCGImageAlphaNoneSkipLast);
  CGImageRef image = new_image_with_rgba(decode.width, decode.height, space, info32, std::move(rgba));
  CGColorSpaceRelease(space);
  if (decode.gray) {
    image->bits_per_pixel = decode.has_alpha ? 16 : 8;
    image->bytes_per_row = size_t(decode.width) * (decode.has_alpha ? 2 : 1);
  }
  return image;
}

CGImageRef decode_ordinary_png(const uint8_t* data, size_t size, const char* what, char* error,
                               size_t error_size);

// Either form, once its header's size is checked and its pixel memory
// counted against kMaxDecodedImageBytes.
CGImageRef decode_png(const uint8_t* data, size_t size, const char* what, char* error, size_t error_size) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
    report(error, error_size, "%s is not a PNG image", what);
    return nullptr;
  }
  const bool optimised = is_optimised_png(data, size);
  PngSize png_size;
  std::string message;
  if (!check_png_size(data, size, optimised, &png_size, &message)) {
    report(error, error_size, "%s: bad PNG image: %s", what, message.c_str());
    return nullptr;
  }
  const size_t bytes = size_t(png_size.width) * png_size.height * 4;
  if (!take_image_memory(bytes, kMaxDecodedImageBytes)) {
    report(error, error_size,
           "%s: cannot hold the image: its %zu MiB of pixels and the %zu MiB that images already hold would "
           "pass the %zu MiB all images may hold",
           what, (bytes + (1u << 20) - 1) >> 20, image_memory_in_use() >> 20, kMaxDecodedImageBytes >> 20);
    return nullptr;
  }
  CGImageRef image = optimised ? decode_optimised_png(data, size, &message)
                               : decode_ordinary_png(data, size, what, error, error_size);
  if (!image) {
    give_back_image_memory(bytes);
    if (optimised) report(error, error_size, "%s: bad PNG image: %s", what, message.c_str());
    return nullptr;
  }
  image->counted_bytes = bytes;
  return image;
}

CGImageRef decode_ordinary_png(const uint8_t* data, size_t size, const char* what, char* error,
                               size_t error_size) {
  Decode decode;
  decode.data = data;
  decode.size = size;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decode, on_error, on_warning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    report(error, error_size, "%s: out of memory", what);
    return nullptr;
  }
  bool ok;
  try {
    ok = run_libpng(png, info, &decode);
  } catch (const std::bad_alloc&) {
    std::snprintf(decode.message, sizeof decode.message, "out of memory");
    ok = false;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) {
    report(error, error_size, "%s: bad PNG image: %s", what, decode.message);
    return nullptr;
  }

  CGImageRef image = make_image(decode);
  if (!image) report(error, error_size, "%s: out of memory", what);
  return image;
}
}  // namespace
}  // namespace sim::graphics

extern "C" {

CGImageRef sim_CGImageCreateWithPNGData(const void* data, size_t length, char* error, size_t error_size) {
  return sim::graphics::decode_png(static_cast<const uint8_t*>(data), length, "the data", error, error_size);
}

CGImageRef sim_CGImageCreateWithPNGFile(const char* path, char* error, size_t error_size) {
  using sim::graphics::report;
  if (!path) {
    report(error, error_size, "no PNG file path given");
    return nullptr;
  }
  std::string bytes, message;
  if (!sim::io::read_whole_file(path, sim::graphics::kMaxFileBytes, &bytes, &message)) {
    report(error, error_size, "%s", message.c_str());
    return nullptr;
  }
  return sim::graphics::decode_png(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), path, error,
                                   error_size);
}

}  // extern "C"
