// The two PNG forms the simulated host reads, and what they share. Internal
// to sim/graphics: png.cpp decodes ordinary PNGs through libpng and hands
// the optimised form found in iOS app bundles to png_optimised.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/graphics/CoreGraphics.h"

namespace sim::graphics {

// Larger sides are refused before any pixel memory is taken, whichever way
// the file comes in (an icon file, an app bundle's icon, a script's png:).
inline constexpr uint32_t kMaxPngSide = 4096;

inline constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A PNG's four-byte big-endian number (chunk lengths, sizes, checksums).
inline uint32_t big_endian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Whether the bytes are the optimised variant: the PNG signature followed
// at once by a "CgBI" chunk, before the image header.
bool is_optimised_png(const uint8_t* data, size_t size);

struct PngSize {
  uint32_t width = 0, height = 0;
};

// Reads the image header of either form (the signature already checked)
// and refuses, with a message without the file's name, a size above
// kMaxPngSide a side and image data that does not inflate to the bytes the
// header's rows need. Takes no memory in proportion to the header's size.
bool check_png_size(const uint8_t* data, size_t size, bool optimised, PngSize* png, std::string* message);

// Pixel memory that all images decoded from PNG data may hold at once in
// one process: four pictures of the largest size. A decode that would go
// past it is refused with a message; the memory returns when the image is
// released.
inline constexpr size_t kMaxDecodedImageBytes = 256u << 20;

// Decodes the optimised variant: IDAT holds a raw deflate stream (no zlib
// header or checksum), rows use the ordinary PNG filters, and pixels are
// 8-bit B, G, R, A with premultiplied colour (or B, G, R without alpha).
// The image is device RGB, described as the bytes lie: alpha
// PremultipliedFirst (NoneSkipFirst without alpha) in 32-bit little-endian
// order. NULL with a message (without the file's name) on any fault.
CGImageRef decode_optimised_png(const uint8_t* data, size_t size, std::string* message);

}  // namespace sim::graphics
