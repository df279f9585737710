// What both PNG decoders check before they take any pixel memory: the image
// header's size, and that the image data inflates to at least the bytes the
// header's rows need. A file of a hundred bytes can claim a picture of
// gigabytes; it is refused here, having cost one small scratch buffer.
#include <zlib.h>

#include <cstring>
#include <string>

#include "sim/graphics/png_formats.h"

namespace sim::graphics {
namespace {

// Bytes of one filtered row of `width` pixels of `bits` bits, its filter
// byte included; 0 for a pass without pixels.
uint64_t row_bytes(uint64_t width, unsigned bits) { return width == 0 ? 0 : (width * bits + 7) / 8 + 1; }

// The bytes the image data must inflate to: every row of every pass.
uint64_t needed_bytes(uint32_t width, uint32_t height, unsigned bits, bool interlaced) {
  if (!interlaced) return row_bytes(width, bits) * height;
  static constexpr struct {
    unsigned x0, y0, dx, dy;
  } kPasses[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  uint64_t total = 0;
  for (const auto& p : kPasses) {
    const uint64_t w = width > p.x0 ? (width - p.x0 + p.dx - 1) / p.dx : 0;
    const uint64_t h = height > p.y0 ? (height - p.y0 + p.dy - 1) / p.dy : 0;
    total += row_bytes(w, bits) * h;
  }
  return total;
}

// Whether the IDAT chunks' stream inflates to at least `needed` bytes.
// Stops as soon as it does, so that a valid file costs at most one more
// pass over its rows, into a scratch buffer. Messages are those the
// decoders give for the same faults.
bool inflates_to(const uint8_t* data, size_t size, size_t pos, bool raw, uint64_t needed,
                 std::string* message) {
  z_stream z{};
  if (inflateInit2(&z, raw ? -15 : 15) != Z_OK) {
    *message = "out of memory";
    return false;
  }
  static thread_local uint8_t scratch[1 << 16];
  uint64_t out = 0;
  int status = Z_OK;
  bool seen_idat = false;
  while (out < needed && status == Z_OK) {
    if (size - pos < 12 || big_endian32(data + pos) > size - pos - 12) {
      *message = "the PNG data ends early";
      break;
    }
    const uint32_t length = big_endian32(data + pos);
    const uint8_t* type = data + pos + 4;
    if (std::memcmp(type, "IEND", 4) == 0) break;
    if (std::memcmp(type, "IDAT", 4) == 0) {
      seen_idat = true;
      if (crc32(crc32(0L, Z_NULL, 0), type, length + 4) != big_endian32(type + 4 + length)) {
        *message = "IDAT: CRC error";
        break;
      }
      z.next_in = const_cast<Bytef*>(type + 4);
      z.avail_in = length;
      while (z.avail_in > 0 && out < needed && status == Z_OK) {
        z.next_out = scratch;
        z.avail_out = sizeof scratch;
        status = inflate(&z, Z_NO_FLUSH);
        out += sizeof scratch - z.avail_out;
        if (status == Z_BUF_ERROR) status = Z_OK;  // needs the next chunk
      }
    }
    pos += size_t(length) + 12;
  }
  inflateEnd(&z);
  if (out >= needed || !seen_idat) return true;  // the decoders name a file without image data
  if (!message->empty()) return false;
  if (status != Z_OK && status != Z_STREAM_END)
    *message = std::string("damaged image data: ") + (z.msg ? z.msg : "inflate failed");
  else
    *message = "the image data ends early (" + std::to_string(out) + " of the " + std::to_string(needed) +
               " bytes its header describes)";
  return false;
}

// Bits per pixel of the header's pixel format, or 0 for a format the
// decoder refuses (it names the fault).
unsigned bits_per_pixel(uint8_t depth, uint8_t colour_type, bool optimised) {
  if (optimised)
    return depth == 8 && (colour_type == 2 || colour_type == 6) ? (colour_type == 6 ? 32 : 24) : 0;
  const bool deep = depth == 8 || depth == 16;
  switch (colour_type) {
    case 0: return (depth == 1 || depth == 2 || depth == 4 || deep) ? depth : 0;        // gray
    case 2: return deep ? 3u * depth : 0;                                               // RGB
    case 3: return (depth == 1 || depth == 2 || depth == 4 || depth == 8) ? depth : 0;  // palette
    case 4: return deep ? 2u * depth : 0;                                               // gray + alpha
    case 6: return deep ? 4u * depth : 0;                                               // RGBA
    default: return 0;
  }
}

}  // namespace

bool check_png_size(const uint8_t* data, size_t size, bool optimised, PngSize* png, std::string* message) {
  size_t pos = 8;
  if (optimised) {
    if (size < 12 || size - 12 - 8 < big_endian32(data + 8)) {
      *message = "the PNG data ends early";
      return false;
    }
    pos += 12 + size_t(big_endian32(data + 8));
  }
  if (size < pos || size - pos < 8 + 13 + 4) {
    *message = "the PNG data ends early";
    return false;
  }
  if (std::memcmp(data + pos + 4, "IHDR", 4) != 0 || big_endian32(data + pos) != 13) {
    *message = optimised ? "no image header after the CgBI chunk" : "no image header";
    return false;
  }
  const uint8_t* p = data + pos + 8;
  png->width = big_endian32(p);
  png->height = big_endian32(p + 4);
  if (png->width == 0 || png->height == 0 || png->width > 0x7FFFFFFFu || png->height > 0x7FFFFFFFu) {
    *message = "invalid image size";
    return false;
  }
  if (png->width > kMaxPngSide || png->height > kMaxPngSide) {
    *message = "the image is too large (" + std::to_string(png->width) + "x" + std::to_string(png->height) +
               " pixels; at most " + std::to_string(kMaxPngSide) + " a side)";
    return false;
  }
  const unsigned bits = bits_per_pixel(p[8], p[9], optimised);
  const bool interlaced = p[12] == 1;
  if (bits == 0 || p[10] != 0 || p[11] != 0 || p[12] > (optimised ? 0 : 1)) return true;
  const uint64_t needed = needed_bytes(png->width, png->height, bits, interlaced);
  return inflates_to(data, size, pos + 8 + 13 + 4, optimised, needed, message);
}

}  // namespace sim::graphics
