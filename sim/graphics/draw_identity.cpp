// The identity route of CGContextDrawImage: the rect has the image's own
// size at whole-pixel coordinates, so each pixel is composited as it is, in
// integers, four pixels at a time with SSE2 (unless the vector kernels are
// switched off) and the rest one by one with the same arithmetic.
#include "sim/graphics/draw_pixels.h"
#include "sim/graphics/draw_routes.h"

namespace sim::graphics {
namespace {

// s + d x (255 - alpha(s)) / 255 per byte, the product rounded to nearest
// and the sum saturated.
template <Order O>
inline uint32_t over_pixel(uint32_t s, uint32_t d) {
  const uint32_t alpha = (s >> kAlphaShift<O>)&0xffu;
  if (alpha == 255u) return s;
  const uint32_t ia = 255u - alpha;
  uint32_t rb = (d & 0x00ff00ffu) * ia + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
  uint32_t ag = ((d >> 8) & 0x00ff00ffu) * ia + 0x00800080u;
  ag = ((ag + ((ag >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
  rb += s & 0x00ff00ffu;
  ag += (s >> 8) & 0x00ff00ffu;
  rb |= 0x01000100u - ((rb >> 8) & 0x00010001u);
  ag |= 0x01000100u - ((ag >> 8) & 0x00010001u);
  return (rb & 0x00ff00ffu) | ((ag & 0x00ff00ffu) << 8);
}

#if defined(__SSE2__)
// d x ia / 255 rounded, on eight 16-bit lanes.
inline __m128i mul_div255(__m128i d, __m128i ia) {
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(d, ia), _mm_set1_epi16(0x80));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// over_row four pixels at a time, as far as whole groups of four go; returns
// how many pixels it did.
template <Order O>
size_t over_fours(uint8_t* dst, const uint8_t* src, size_t n, uint32_t skip_mask) {
  size_t i = 0;
  constexpr int kIdx = kAlphaShift<O> / 8;  // 16-bit lane of alpha within a pixel
  constexpr int kBroadcast = kIdx * 0x55;   // _MM_SHUFFLE(kIdx, kIdx, kIdx, kIdx)
  const __m128i zero = _mm_setzero_si128();
  const __m128i alpha_mask = _mm_set1_epi32(int(0xffu << kAlphaShift<O>));
  const __m128i skip = _mm_set1_epi32(int(skip_mask));
  const __m128i ones = _mm_set1_epi16(0xff);
  for (; i + 4 <= n; i += 4) {
    const __m128i s = swizzle4<O>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 4)));
    auto* out = reinterpret_cast<__m128i*>(dst + i * 4);
    const __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(s, alpha_mask), alpha_mask);
    if (_mm_movemask_epi8(opaque) == 0xffff) {
      _mm_storeu_si128(out, s);
      continue;
    }
    const __m128i d = _mm_or_si128(_mm_loadu_si128(out), skip);
    const __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
    const __m128i al = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sl, kBroadcast), kBroadcast);
    const __m128i ah = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sh, kBroadcast), kBroadcast);
    const __m128i rl = mul_div255(_mm_unpacklo_epi8(d, zero), _mm_xor_si128(al, ones));
    const __m128i rh = mul_div255(_mm_unpackhi_epi8(d, zero), _mm_xor_si128(ah, ones));
    _mm_storeu_si128(out, _mm_adds_epu8(_mm_packus_epi16(rl, rh), s));
  }
  return i;
}
#endif

// Composites n image pixels at src onto n destination pixels at dst; with
// Vector, four at a time as far as they go.
template <Order O, bool Vector>
void over_row(uint8_t* dst, const uint8_t* src, size_t n, uint32_t skip_mask) {
  size_t i = 0;
#if defined(__SSE2__)
  if constexpr (Vector) i = over_fours<O>(dst, src, n, skip_mask);
#endif
  for (; i < n; ++i) {
    store32(dst + i * 4, over_pixel<O>(swizzle<O>(load32(src + i * 4)), load32(dst + i * 4) | skip_mask));
  }
}

using OverRowFn = void (*)(uint8_t*, const uint8_t*, size_t, uint32_t);

template <bool Vector>
OverRowFn over_row_for(Order order) {
  switch (order) {
    case Order::RGBA: return over_row<Order::RGBA, Vector>;
    case Order::ARGB: return over_row<Order::ARGB, Vector>;
    case Order::BGRA: return over_row<Order::BGRA, Vector>;
    case Order::ABGR: return over_row<Order::ABGR, Vector>;
  }
  return over_row<Order::RGBA, Vector>;
}

}  // namespace

void draw_identity(CGContext* ctx, const CGImage* image, Order order, int64_t dx, int64_t dy, int64_t c0,
                   int64_t c1, int64_t r0, int64_t r1) {
  const OverRowFn over = vector_kernels_enabled() ? over_row_for<true>(order) : over_row_for<false>(order);
  const uint32_t skip_mask = ctx->layout.skip ? (0xffu << (8 * ctx->layout.alpha)) : 0u;
  const size_t n = size_t(c1 - c0);
  for (int64_t r = r0; r < r1; ++r) {
    uint8_t* dst = ctx->data + size_t(r) * ctx->bytes_per_row + size_t(c0) * 4;
    const uint8_t* src = image->rgba.data() + (size_t(r - dy) * image->width + size_t(c0 - dx)) * 4;
    over(dst, src, n, skip_mask);
  }
}

}  // namespace sim::graphics
