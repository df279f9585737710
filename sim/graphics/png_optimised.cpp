// The optimised PNG variant that iOS app bundles carry. libpng refuses it:
// a "CgBI" chunk comes before the image header, the image data is a raw
// deflate stream without the zlib wrapper, and the pixels are stored as
// premultiplied B, G, R, A. The chunk structure, checksums and row filters
// are the ordinary ones, so this reads the chunks itself, inflates with
// zlib and undoes the filters.
#include <zlib.h>

#include <cstring>
#include <new>
#include <vector>

#include "sim/graphics/cg_objects.h"
#include "sim/graphics/png_formats.h"

namespace sim::graphics {
namespace {

// Deflate cannot expand its input by more than about 1032 times, so image
// data that would inflate to more than this is refused as cut short before
// the pixel memory for it is taken.
constexpr uint64_t kMaxDeflateRatio = 1032;

constexpr uint8_t kColourRGB = 2;
constexpr uint8_t kColourRGBA = 6;

struct Chunk {
  char type[5] = {};
  const uint8_t* data = nullptr;
  uint32_t length = 0;
};

// Walks the chunks after the signature, checking each one's length and CRC.
class ChunkReader {
 public:
  ChunkReader(const uint8_t* data, size_t size) : data_(data), size_(size), pos_(8) {}

  // False at the end of the bytes or on a fault (then message is set).
  bool next(Chunk* chunk, std::string* message) {
    if (size_ - pos_ < 12) {
      *message = "the PNG data ends early";
      return false;
    }
    const uint8_t* head = data_ + pos_;
    const uint32_t length = big_endian32(head);
    if (length > 0x7FFFFFFFu || size_ - pos_ - 12 < length) {
      *message = "the PNG data ends early";
      return false;
    }
    std::memcpy(chunk->type, head + 4, 4);
    chunk->type[4] = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = chunk->type[i];
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
        *message = "invalid chunk type";
        return false;
      }
    }
    chunk->data = head + 8;
    chunk->length = length;
    const uint32_t stored = big_endian32(head + 8 + length);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), head + 4, length + 4);
    if (crc != stored) {
      *message = std::string(chunk->type) + ": CRC error";
      return false;
    }
    pos_ += size_t(length) + 12;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_;
};

struct Header {
  uint32_t width = 0, height = 0;
  uint8_t colour_type = 0;
  size_t bytes_per_pixel = 0;
};

bool read_header(const Chunk& chunk, Header* header, std::string* message) {
  if (std::strcmp(chunk.type, "IHDR") != 0 || chunk.length != 13) {
    *message = "no image header after the CgBI chunk";
    return false;
  }
  const uint8_t* p = chunk.data;
  header->width = big_endian32(p);
  header->height = big_endian32(p + 4);
  const uint8_t depth = p[8];
  header->colour_type = p[9];
  if (header->width == 0 || header->height == 0 || header->width > 0x7FFFFFFFu ||
      header->height > 0x7FFFFFFFu) {
    *message = "invalid image size";
    return false;
  }
  if (header->width > kMaxPngSide || header->height > kMaxPngSide) {
    *message = "the image is too large (" + std::to_string(header->width) + "x" +
               std::to_string(header->height) + " pixels; at most " + std::to_string(kMaxPngSide) +
               " a side)";
    return false;
  }
  if (depth != 8 || (header->colour_type != kColourRGB && header->colour_type != kColourRGBA)) {
    *message = "unsupported pixel format (bit depth " + std::to_string(depth) + ", colour type " +
               std::to_string(header->colour_type) + "; optimised PNGs hold 8-bit BGR or BGRA)";
    return false;
  }
  if (p[10] != 0 || p[11] != 0) {
    *message = "unknown compression or filter method";
    return false;
  }
  if (p[12] != 0) {
    *message = p[12] == 1 ? "interlaced optimised PNGs are not supported" : "unknown interlace method";
    return false;
  }
  header->bytes_per_pixel = header->colour_type == kColourRGBA ? 4 : 3;
  return true;
}

// Inflates the raw deflate stream spread over the IDAT chunks into exactly
// out.size() bytes.
bool inflate_image_data(const std::vector<Chunk>& idat, std::vector<uint8_t>& out, std::string* message) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) {
    *message = "out of memory";
    return false;
  }
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int status = Z_OK;
  bool ok = true;
  for (size_t i = 0; i < idat.size() && ok && status != Z_STREAM_END; ++i) {
    z.next_in = const_cast<Bytef*>(idat[i].data);
    z.avail_in = idat[i].length;
    while (z.avail_in > 0 && status != Z_STREAM_END) {
      if (z.avail_out == 0) {
        // The rows are complete yet the stream goes on: more data than the
        // header describes.
        uint8_t spare;
        z.next_out = &spare;
        z.avail_out = 1;
        status = inflate(&z, Z_NO_FLUSH);
        if (z.avail_out == 0) {
          *message = "more image data than the image header describes";
          ok = false;
          break;
        }
        continue;
      }
      status = inflate(&z, Z_NO_FLUSH);
      if (status == Z_BUF_ERROR) break;  // needs the next chunk
      if (status != Z_OK && status != Z_STREAM_END) {
        *message = std::string("damaged image data: ") + (z.msg ? z.msg : "inflate failed");
        ok = false;
        break;
      }
    }
  }
  if (ok && (z.total_out != out.size())) {
    *message = "the image data ends early";
    ok = false;
  }
  inflateEnd(&z);
  return ok;
}

uint8_t paeth(uint8_t a, uint8_t b, uint8_t c) {
  const int p = int(a) + int(b) - int(c);
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes the row filters in place: each row is a filter byte followed by
// the filtered bytes; afterwards the bytes are the samples.
bool unfilter(std::vector<uint8_t>& rows, const Header& h, std::string* message) {
  const size_t stride = size_t(h.width) * h.bytes_per_pixel;
  const size_t bpp = h.bytes_per_pixel;
  const uint8_t* previous = nullptr;
  for (uint32_t y = 0; y < h.height; ++y) {
    uint8_t* row = rows.data() + size_t(y) * (stride + 1);
    const uint8_t filter = row[0];
    uint8_t* cur = row + 1;
    switch (filter) {
      case 0: break;
      case 1:
        for (size_t i = bpp; i < stride; ++i) cur[i] = uint8_t(cur[i] + cur[i - bpp]);
        break;
      case 2:
        if (previous)
          for (size_t i = 0; i < stride; ++i) cur[i] = uint8_t(cur[i] + previous[i]);
        break;
      case 3:
        for (size_t i = 0; i < stride; ++i) {
          const unsigned left = i >= bpp ? cur[i - bpp] : 0;
          const unsigned up = previous ? previous[i] : 0;
          cur[i] = uint8_t(cur[i] + ((left + up) >> 1));
        }
        break;
      case 4:
        for (size_t i = 0; i < stride; ++i) {
          const uint8_t left = i >= bpp ? cur[i - bpp] : 0;
          const uint8_t up = previous ? previous[i] : 0;
          const uint8_t corner = (previous && i >= bpp) ? previous[i - bpp] : 0;
          cur[i] = uint8_t(cur[i] + paeth(left, up, corner));
        }
        break;
      default:
        *message = "unknown row filter " + std::to_string(filter) + " in row " + std::to_string(y);
        return false;
    }
    previous = cur;
  }
  return true;
}

}  // namespace

bool is_optimised_png(const uint8_t* data, size_t size) {
  return data && size >= 16 && std::memcmp(data, kPngSignature, 8) == 0 &&
         std::memcmp(data + 12, "CgBI", 4) == 0;
}

CGImageRef decode_optimised_png(const uint8_t* data, size_t size, std::string* message) {
  if (!is_optimised_png(data, size)) {
    *message = "not an optimised PNG image";
    return nullptr;
  }
  ChunkReader reader(data, size);
  Chunk chunk;
  if (!reader.next(&chunk, message)) return nullptr;  // the CgBI chunk itself
  Header header;
  if (!reader.next(&chunk, message) || !read_header(chunk, &header, message)) return nullptr;

  std::vector<Chunk> idat;
  uint64_t compressed = 0;
  bool ended = false;
  while (!ended) {
    if (!reader.next(&chunk, message)) return nullptr;
    const std::string type = chunk.type;
    if (type == "IDAT") {
      if (chunk.length > 0) idat.push_back(chunk);
      compressed += chunk.length;
    } else if (type == "IEND") {
      ended = true;
    } else if (type == "IHDR" || type == "CgBI") {
      *message = "a second " + type + " chunk";
      return nullptr;
    } else if (type[0] >= 'A' && type[0] <= 'Z' && type != "PLTE") {
      *message = "unknown critical chunk " + type;
      return nullptr;
    }
  }
  if (idat.empty()) {
    *message = "no image data";
    return nullptr;
  }

  const size_t stride = size_t(header.width) * header.bytes_per_pixel;
  const uint64_t expected = uint64_t(stride + 1) * header.height;
  if (expected > compressed * kMaxDeflateRatio) {
    *message = "the image data ends early";
    return nullptr;
  }
  std::vector<uint8_t> rows, rgba;
  try {
    rows.resize(expected);
    rgba.resize(size_t(header.width) * header.height * 4);
  } catch (const std::bad_alloc&) {
    *message = "out of memory";
    return nullptr;
  }
  if (!inflate_image_data(idat, rows, message) || !unfilter(rows, header, message)) return nullptr;

  // B, G, R(, A) to R, G, B, A. A premultiplied colour never exceeds its
  // alpha; damaged bytes that would are clamped to it.
  const bool alpha = header.colour_type == kColourRGBA;
  for (uint32_t y = 0; y < header.height; ++y) {
    const uint8_t* in = rows.data() + size_t(y) * (stride + 1) + 1;
    uint8_t* out = rgba.data() + size_t(y) * header.width * 4;
    for (uint32_t x = 0; x < header.width; ++x, in += header.bytes_per_pixel, out += 4) {
      const uint8_t a = alpha ? in[3] : 255;
      out[0] = in[2] < a ? in[2] : a;
      out[1] = in[1] < a ? in[1] : a;
      out[2] = in[0] < a ? in[0] : a;
      out[3] = a;
    }
  }
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  const uint32_t info =
      (alpha ? kCGImageAlphaPremultipliedFirst : kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Little;
  CGImageRef image = new_image_with_rgba(header.width, header.height, rgb, info, std::move(rgba));
  CGColorSpaceRelease(rgb);
  return image;
}

}  // namespace sim::graphics
