// The pixel helpers every drawing route shares: the byte order of a
// four-byte RGB destination, pixels as little-endian 32-bit words, and the
// swizzles between the image's R, G, B, A order and the destination's, one
// pixel or four (SSE2) at a time. Internal to sim/graphics; everything here
// is inline so that each route's loops keep it in registers.
#pragma once

#include <cstdint>
#include <cstring>

#include "sim/graphics/cg_objects.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sim::graphics {

// Memory order of the four bytes of an RGB destination pixel.
enum class Order { RGBA, ARGB, BGRA, ABGR };

inline bool destination_order(const Layout& l, Order* out) {
  if (l.model != PixelModel::RGB || l.bytes_per_pixel != 4) return false;
  const int r = l.colour[0], g = l.colour[1], b = l.colour[2], a = l.alpha;
  if (r == 0 && g == 1 && b == 2 && a == 3) {
    *out = Order::RGBA;
  } else if (a == 0 && r == 1 && g == 2 && b == 3) {
    *out = Order::ARGB;
  } else if (b == 0 && g == 1 && r == 2 && a == 3) {
    *out = Order::BGRA;
  } else if (a == 0 && b == 1 && g == 2 && r == 3) {
    *out = Order::ABGR;
  } else {
    return false;
  }
  return true;
}

// Pixels are handled as little-endian 32-bit words. An image pixel (bytes R,
// G, B, A) reads as A<<24 | B<<16 | G<<8 | R; swizzle moves its bytes to where
// the destination order wants them.
template <Order O>
constexpr int kAlphaShift = (O == Order::RGBA || O == Order::BGRA) ? 24 : 0;

template <Order O>
inline uint32_t swizzle(uint32_t v) {
  if constexpr (O == Order::RGBA) return v;
  if constexpr (O == Order::ARGB) return (v << 8) | (v >> 24);
  if constexpr (O == Order::BGRA) return (v & 0xff00ff00u) | ((v >> 16) & 0xffu) | ((v & 0xffu) << 16);
  if constexpr (O == Order::ABGR) return __builtin_bswap32(v);
}

inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

#if defined(__SSE2__)
template <Order O>
inline __m128i swizzle4(__m128i v) {
  if constexpr (O == Order::RGBA) return v;
  if constexpr (O == Order::ARGB) return _mm_or_si128(_mm_slli_epi32(v, 8), _mm_srli_epi32(v, 24));
  if constexpr (O == Order::BGRA) {
    const __m128i ga = _mm_set1_epi32(int(0xff00ff00u));
    const __m128i low = _mm_set1_epi32(0xff);
    return _mm_or_si128(_mm_and_si128(v, ga), _mm_or_si128(_mm_and_si128(_mm_srli_epi32(v, 16), low),
                                                           _mm_slli_epi32(_mm_and_si128(v, low), 16)));
  }
  if constexpr (O == Order::ABGR) {
    const __m128i halves = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xB1), 0xB1);
    return _mm_or_si128(_mm_slli_epi16(halves, 8), _mm_srli_epi16(halves, 8));
  }
}

// The inverse of swizzle4: destination order back to R, G, B, A.
template <Order O>
inline __m128i unswizzle4(__m128i v) {
  if constexpr (O == Order::ARGB) return _mm_or_si128(_mm_srli_epi32(v, 8), _mm_slli_epi32(v, 24));
  return swizzle4<O>(v);  // the other orders are their own inverse
}
#endif

}  // namespace sim::graphics
