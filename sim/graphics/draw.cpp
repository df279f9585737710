// CGContextDrawImage: area-averaging resampling and source-over compositing
// of premultiplied pixels.
//
// Three routes:
//  - Identity: the rect has the image's own size at whole-pixel coordinates.
//    Each pixel is composited as it is (integer source-over, four pixels at a
//    time), with no resampling at all. This is the icon-sized draw that the
//    host repeats in every layout pass.
//  - Block reduction: the rect is at whole-pixel coordinates and the image is
//    an exact multiple k (2 to 16) of its size, as when an icon drawn at 2x or
//    3x is sampled at its point size. Block sums are taken in integers and
//    the bytes derived exactly, identical to what resampling gives.
//  - Resampling: a separable box filter with exact fractional coverage. A
//    destination pixel [c, c+1) x [r, r+1) receives, for every source pixel,
//    the area of their overlap (in destination pixels) times that source
//    pixel, so a uniform image stays uniform at any scale and a pixel only
//    partly inside the rect gets the mean scaled by its coverage. Along each
//    axis a destination pixel covers at most a partial first source pixel, a
//    run of whole ones (all of equal weight) and a partial last one; the run
//    is summed in integers and weighted once, which keeps large reductions
//    close to the cost of reading the source. Filtering is done in double
//    precision and the source-over result rounded once, to nearest.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "sim/graphics/cg_objects.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// AVX2 kernels are compiled per function, for x86 with GCC or Clang, and
// chosen at run time; the rest of the file keeps the default target.
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define CORVANE_WIDE_BLOCK_SUMS 1
#include <immintrin.h>
#endif

namespace sim::graphics {
namespace {

// ---------------------------------------------------------------------------
// Identity route.

// Memory order of the four bytes of an RGB destination pixel.
enum class Order { RGBA, ARGB, BGRA, ABGR };

bool DestinationOrder(const Layout& l, Order* out) {
  if (l.model != PixelModel::RGB || l.bytesPerPixel != 4) return false;
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
// G, B, A) reads as A<<24 | B<<16 | G<<8 | R; Swizzle moves its bytes to where
// the destination order wants them.
template <Order O>
constexpr int kAlphaShift = (O == Order::RGBA || O == Order::BGRA) ? 24 : 0;

template <Order O>
inline uint32_t Swizzle(uint32_t v) {
  if constexpr (O == Order::RGBA) return v;
  if constexpr (O == Order::ARGB) return (v << 8) | (v >> 24);
  if constexpr (O == Order::BGRA) return (v & 0xff00ff00u) | ((v >> 16) & 0xffu) | ((v & 0xffu) << 16);
  if constexpr (O == Order::ABGR) return __builtin_bswap32(v);
}

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// s + d x (255 - alpha(s)) / 255 per byte, the product rounded to nearest
// and the sum saturated.
template <Order O>
inline uint32_t OverPixel(uint32_t s, uint32_t d) {
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
template <Order O>
inline __m128i Swizzle4(__m128i v) {
  if constexpr (O == Order::RGBA) return v;
  if constexpr (O == Order::ARGB) return _mm_or_si128(_mm_slli_epi32(v, 8), _mm_srli_epi32(v, 24));
  if constexpr (O == Order::BGRA) {
    const __m128i ga = _mm_set1_epi32(int(0xff00ff00u));
    const __m128i low = _mm_set1_epi32(0xff);
    return _mm_or_si128(_mm_and_si128(v, ga),
                        _mm_or_si128(_mm_and_si128(_mm_srli_epi32(v, 16), low),
                                     _mm_slli_epi32(_mm_and_si128(v, low), 16)));
  }
  if constexpr (O == Order::ABGR) {
    const __m128i halves = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xB1), 0xB1);
    return _mm_or_si128(_mm_slli_epi16(halves, 8), _mm_srli_epi16(halves, 8));
  }
}

// d x ia / 255 rounded, on eight 16-bit lanes.
inline __m128i MulDiv255(__m128i d, __m128i ia) {
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(d, ia), _mm_set1_epi16(0x80));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}
#endif

template <Order O>
void OverRow(uint8_t* dst, const uint8_t* src, size_t n, uint32_t skipMask) {
  size_t i = 0;
#if defined(__SSE2__)
  constexpr int kIdx = kAlphaShift<O> / 8;  // 16-bit lane of alpha within a pixel
  constexpr int kBroadcast = kIdx * 0x55;   // _MM_SHUFFLE(kIdx, kIdx, kIdx, kIdx)
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaMask = _mm_set1_epi32(int(0xffu << kAlphaShift<O>));
  const __m128i skip = _mm_set1_epi32(int(skipMask));
  const __m128i ones = _mm_set1_epi16(0xff);
  for (; i + 4 <= n; i += 4) {
    const __m128i s = Swizzle4<O>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 4)));
    auto* out = reinterpret_cast<__m128i*>(dst + i * 4);
    const __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(s, alphaMask), alphaMask);
    if (_mm_movemask_epi8(opaque) == 0xffff) {
      _mm_storeu_si128(out, s);
      continue;
    }
    const __m128i d = _mm_or_si128(_mm_loadu_si128(out), skip);
    const __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
    const __m128i al = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sl, kBroadcast), kBroadcast);
    const __m128i ah = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sh, kBroadcast), kBroadcast);
    const __m128i rl = MulDiv255(_mm_unpacklo_epi8(d, zero), _mm_xor_si128(al, ones));
    const __m128i rh = MulDiv255(_mm_unpackhi_epi8(d, zero), _mm_xor_si128(ah, ones));
    _mm_storeu_si128(out, _mm_adds_epu8(_mm_packus_epi16(rl, rh), s));
  }
#endif
  for (; i < n; ++i) {
    Store32(dst + i * 4, OverPixel<O>(Swizzle<O>(Load32(src + i * 4)), Load32(dst + i * 4) | skipMask));
  }
}

using OverRowFn = void (*)(uint8_t*, const uint8_t*, size_t, uint32_t);

OverRowFn OverRowFor(Order order) {
  switch (order) {
    case Order::RGBA: return OverRow<Order::RGBA>;
    case Order::ARGB: return OverRow<Order::ARGB>;
    case Order::BGRA: return OverRow<Order::BGRA>;
    case Order::ABGR: return OverRow<Order::ABGR>;
  }
  return OverRow<Order::RGBA>;
}

// Composites the image at whole-pixel offset (dx, dy) (memory coordinates),
// over destination columns [c0, c1) and rows [r0, r1).
void DrawIdentity(CGContext* ctx, const CGImage* image, Order order, int64_t dx, int64_t dy, int64_t c0,
                  int64_t c1, int64_t r0, int64_t r1) {
  const OverRowFn over = OverRowFor(order);
  const uint32_t skipMask = ctx->layout.skip ? (0xffu << (8 * ctx->layout.alpha)) : 0u;
  const size_t n = size_t(c1 - c0);
  for (int64_t r = r0; r < r1; ++r) {
    uint8_t* dst = ctx->data + size_t(r) * ctx->bytesPerRow + size_t(c0) * 4;
    const uint8_t* src = image->rgba.data() + (size_t(r - dy) * image->width + size_t(c0 - dx)) * 4;
    over(dst, src, n, skipMask);
  }
}

// ---------------------------------------------------------------------------
// Resampling route.

// The source pixels that one destination pixel overlaps along one axis:
// first and last (inclusive) with their overlap lengths, and between them a
// run of whole source pixels each weighing `scale`. Empty when last < first.
// `whole` marks a span that starts and ends on source pixel edges, so that
// every pixel in it weighs `scale` (exact reductions such as 3:1 or n:1).
struct Span {
  int64_t first = 0;
  int64_t last = -1;
  double wFirst = 0;  // the only weight when first == last
  double wLast = 0;
  bool whole = false;
};

// Source pixel i covers [origin + i x extent / count, origin + (i+1) x
// extent / count) in destination coordinates; spans for destination pixels
// [d0, d1). Positions are computed as (d - origin) x count / extent so that
// whole-number geometry gives exact source edges.
std::vector<Span> MakeSpans(int64_t d0, int64_t d1, double origin, double extent, size_t count) {
  std::vector<Span> spans(size_t(d1 - d0));
  const double n = double(count);
  const double scale = extent / n;
  for (int64_t c = d0; c < d1; ++c) {
    const double u0 = std::clamp((double(c) - origin) * n / extent, 0.0, n);
    const double u1 = std::clamp((double(c + 1) - origin) * n / extent, 0.0, n);
    if (!(u1 > u0)) continue;
    Span& s = spans[size_t(c - d0)];
    s.first = std::min(int64_t(std::floor(u0)), int64_t(count) - 1);
    s.last = std::clamp(int64_t(std::ceil(u1)) - 1, s.first, int64_t(count) - 1);
    s.whole = u0 == double(s.first) && u1 == double(s.last + 1);
    if (s.first == s.last) {
      s.wFirst = (u1 - u0) * scale;
    } else {
      s.wFirst = (double(s.first + 1) - u0) * scale;
      s.wLast = (u1 - double(s.last)) * scale;
    }
  }
  return spans;
}

// Per-channel sums of n packed RGBA pixels.
void RunSum(const uint8_t* p, size_t n, uint64_t sum[4]) {
  uint64_t r = 0, g = 0, b = 0, a = 0;
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  while (n - i >= 4) {
    // Each 16-bit lane takes two bytes per step: 128 steps stay below 65536.
    const size_t steps = std::min((n - i) / 4, size_t(128));
    __m128i acc = zero;
    for (size_t k = 0; k < steps; ++k, i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i * 4));
      acc = _mm_add_epi16(acc, _mm_add_epi16(_mm_unpacklo_epi8(v, zero), _mm_unpackhi_epi8(v, zero)));
    }
    alignas(16) uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes),
                    _mm_add_epi32(_mm_unpacklo_epi16(acc, zero), _mm_unpackhi_epi16(acc, zero)));
    r += lanes[0];
    g += lanes[1];
    b += lanes[2];
    a += lanes[3];
  }
#endif
  for (; i < n; ++i) {
    r += p[i * 4];
    g += p[i * 4 + 1];
    b += p[i * 4 + 2];
    a += p[i * 4 + 3];
  }
  sum[0] = r;
  sum[1] = g;
  sum[2] = b;
  sum[3] = a;
}

// The four channels of a pixel as doubles, two to a register where SSE2 is
// available.
#if defined(__SSE2__)
struct Px {
  __m128d lo, hi;
};
inline Px ZeroPx() { return {_mm_setzero_pd(), _mm_setzero_pd()}; }
inline Px LoadPx(const uint8_t* p) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(Load32(p))), zero), zero);
  return {_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_shuffle_epi32(v, 0xEE))};
}
inline Px SumPx(const uint64_t s[4]) {
  return {_mm_set_pd(double(s[1]), double(s[0])), _mm_set_pd(double(s[3]), double(s[2]))};
}
inline void AddPx(Px& acc, const Px& p) {
  acc.lo = _mm_add_pd(acc.lo, p.lo);
  acc.hi = _mm_add_pd(acc.hi, p.hi);
}
inline void MaddPx(Px& acc, double w, const Px& p) {
  const __m128d ww = _mm_set1_pd(w);
  acc.lo = _mm_add_pd(acc.lo, _mm_mul_pd(ww, p.lo));
  acc.hi = _mm_add_pd(acc.hi, _mm_mul_pd(ww, p.hi));
}
inline void StorePx(double* out, const Px& p) {
  _mm_storeu_pd(out, p.lo);
  _mm_storeu_pd(out + 2, p.hi);
}
#else
struct Px {
  double v[4];
};
inline Px ZeroPx() { return {{0, 0, 0, 0}}; }
inline Px LoadPx(const uint8_t* p) { return {{double(p[0]), double(p[1]), double(p[2]), double(p[3])}}; }
inline Px SumPx(const uint64_t s[4]) { return {{double(s[0]), double(s[1]), double(s[2]), double(s[3])}}; }
inline void AddPx(Px& acc, const Px& p) {
  for (int k = 0; k < 4; ++k) acc.v[k] += p.v[k];
}
inline void MaddPx(Px& acc, double w, const Px& p) {
  for (int k = 0; k < 4; ++k) acc.v[k] += w * p.v[k];
}
inline void StorePx(double* out, const Px& p) { std::memcpy(out, p.v, sizeof p.v); }
#endif

// Runs up to this long are added pixel by pixel; longer ones in integers.
constexpr int64_t kShortRun = 8;

// The per-channel sum of n consecutive pixels, as doubles.
inline Px SumPixels(const uint8_t* p, int64_t n) {
  if (n > kShortRun) {
    uint64_t sums[4];
    RunSum(p, size_t(n), sums);
    return SumPx(sums);
  }
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  __m128i acc = zero;
  for (int64_t i = 0; i < n; ++i) {
    acc = _mm_add_epi32(acc, _mm_unpacklo_epi16(
                                 _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(Load32(p + i * 4))), zero), zero));
  }
  return {_mm_cvtepi32_pd(acc), _mm_cvtepi32_pd(_mm_shuffle_epi32(acc, 0xEE))};
#else
  Px acc = ZeroPx();
  for (int64_t i = 0; i < n; ++i) AddPx(acc, LoadPx(p + i * 4));
  return acc;
#endif
}

// One source row filtered horizontally: four doubles per destination column.
void FilterRow(const uint8_t* row, const std::vector<Span>& spans, double scale, double* out) {
  for (const Span& s : spans) {
    Px acc = ZeroPx();
    if (s.whole) {
      MaddPx(acc, scale, SumPixels(row + s.first * 4, s.last - s.first + 1));
    } else if (s.last >= s.first) {
      MaddPx(acc, s.wFirst, LoadPx(row + s.first * 4));
      if (s.last > s.first) {
        if (s.last - s.first > 1) MaddPx(acc, scale, SumPixels(row + (s.first + 1) * 4, s.last - s.first - 1));
        MaddPx(acc, s.wLast, LoadPx(row + s.last * 4));
      }
    }
    StorePx(out, acc);
    out += 4;
  }
}

// acc[i] += weight x values[i] for n doubles.
void AddWeighted(double* acc, const double* values, double weight, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128d w = _mm_set1_pd(weight);
  for (; i + 2 <= n; i += 2) {
    _mm_storeu_pd(acc + i, _mm_add_pd(_mm_loadu_pd(acc + i), _mm_mul_pd(w, _mm_loadu_pd(values + i))));
  }
#endif
  for (; i < n; ++i) acc[i] += weight * values[i];
}

// Round to nearest (halves up), saturating to 0..255.
inline uint8_t ToByte(double v) { return uint8_t(std::min(std::max(v + 0.5, 0.0), 255.0)); }

// The share of the destination that shows through a source of alpha a.
inline double Keep(double a) { return std::max(0.0, 1.0 - a * (1.0 / 255.0)); }

#if defined(__SSE2__)
// The inverse of Swizzle4: destination order back to R, G, B, A.
template <Order O>
inline __m128i Unswizzle4(__m128i v) {
  if constexpr (O == Order::ARGB) return _mm_or_si128(_mm_srli_epi32(v, 8), _mm_slli_epi32(v, 24));
  return Swizzle4<O>(v);  // the other orders are their own inverse
}

// CompositeRow for a four-byte RGB destination of a known order.
template <Order O>
void CompositeRowRGB(const double* s, uint8_t* dst, size_t n, uint32_t skipMask) {
  const __m128i zero = _mm_setzero_si128();
  const __m128d half = _mm_set1_pd(0.5), top = _mm_set1_pd(255.0), one = _mm_set1_pd(1.0);
  const __m128d inverse = _mm_set1_pd(1.0 / 255.0);
  for (size_t i = 0; i < n; ++i, s += 4, dst += 4) {
    const __m128i word = _mm_cvtsi32_si128(int(Load32(dst) | skipMask));
    const __m128i d = _mm_unpacklo_epi16(_mm_unpacklo_epi8(Unswizzle4<O>(word), zero), zero);
    const __m128d keep = _mm_max_pd(_mm_setzero_pd(), _mm_sub_pd(one, _mm_mul_pd(_mm_set1_pd(s[3]), inverse)));
    __m128d lo = _mm_add_pd(_mm_loadu_pd(s), _mm_mul_pd(_mm_cvtepi32_pd(d), keep));
    __m128d hi = _mm_add_pd(_mm_loadu_pd(s + 2), _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(d, 0xEE)), keep));
    lo = _mm_min_pd(_mm_max_pd(_mm_add_pd(lo, half), _mm_setzero_pd()), top);
    hi = _mm_min_pd(_mm_max_pd(_mm_add_pd(hi, half), _mm_setzero_pd()), top);
    const __m128i ints = _mm_unpacklo_epi64(_mm_cvttpd_epi32(lo), _mm_cvttpd_epi32(hi));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(ints, zero), zero);
    Store32(dst, uint32_t(_mm_cvtsi128_si32(Swizzle4<O>(bytes))));
  }
}
#endif

// Composites n resampled premultiplied RGBA pixels (doubles) source-over
// onto a destination row, rounding each result once.
void CompositeRow(const Layout& l, const double* s, uint8_t* dst, size_t n) {
  const size_t step = l.bytesPerPixel;
  switch (l.model) {
    case PixelModel::RGB: {
#if defined(__SSE2__)
      Order order;
      if (DestinationOrder(l, &order)) {
        const uint32_t skipMask = l.skip ? (0xffu << (8 * l.alpha)) : 0u;
        switch (order) {
          case Order::RGBA: return CompositeRowRGB<Order::RGBA>(s, dst, n, skipMask);
          case Order::ARGB: return CompositeRowRGB<Order::ARGB>(s, dst, n, skipMask);
          case Order::BGRA: return CompositeRowRGB<Order::BGRA>(s, dst, n, skipMask);
          case Order::ABGR: return CompositeRowRGB<Order::ABGR>(s, dst, n, skipMask);
        }
      }
#endif
      const int r = l.colour[0], g = l.colour[1], b = l.colour[2], a = l.alpha;
      if (l.skip) {  // opaque destination: the padding byte is written 255
        for (size_t i = 0; i < n; ++i, s += 4, dst += step) {
          const double keep = Keep(s[3]);
          dst[r] = ToByte(s[0] + dst[r] * keep);
          dst[g] = ToByte(s[1] + dst[g] * keep);
          dst[b] = ToByte(s[2] + dst[b] * keep);
          dst[a] = 255;
        }
      } else {
        for (size_t i = 0; i < n; ++i, s += 4, dst += step) {
          const double keep = Keep(s[3]);
          dst[r] = ToByte(s[0] + dst[r] * keep);
          dst[g] = ToByte(s[1] + dst[g] * keep);
          dst[b] = ToByte(s[2] + dst[b] * keep);
          dst[a] = ToByte(s[3] + dst[a] * keep);
        }
      }
      return;
    }
    case PixelModel::Gray: {
      const int y = l.colour[0];
      for (size_t i = 0; i < n; ++i, s += 4, dst += step) {
        const double luminance = 0.299 * s[0] + 0.587 * s[1] + 0.114 * s[2];
        dst[y] = ToByte(luminance + dst[y] * Keep(s[3]));
      }
      return;
    }
    case PixelModel::CMYK: {
      // Through RGB (the destination is opaque), then back with as much
      // black as possible.
      for (size_t i = 0; i < n; ++i, s += 4, dst += step) {
        const double keep = Keep(s[3]);
        const double white = (255.0 - dst[l.colour[3]]) / 255.0;
        double rgb[3];
        for (int k = 0; k < 3; ++k) rgb[k] = s[k] + (255.0 - dst[l.colour[k]]) * white * keep;
        const double lightest = std::min(255.0, std::max({rgb[0], rgb[1], rgb[2]}));
        for (int k = 0; k < 3; ++k) {
          dst[l.colour[k]] = lightest > 0 ? ToByte((lightest - rgb[k]) * 255.0 / lightest) : 0;
        }
        dst[l.colour[3]] = ToByte(255.0 - lightest);
      }
      return;
    }
    case PixelModel::AlphaOnly: return;
  }
}

void DrawResampled(CGContext* ctx, const CGImage* image, double left, double top, double w, double h, int64_t c0,
                   int64_t c1, int64_t r0, int64_t r1) {
  const double sx = w / double(image->width);
  const double sy = h / double(image->height);
  const std::vector<Span> columns = MakeSpans(c0, c1, left, w, image->width);
  const std::vector<Span> rows = MakeSpans(r0, r1, top, h, image->height);
  const size_t n = size_t(c1 - c0);
  const size_t rowBytes = image->width * 4;

  // A source row is filtered once: the last row of one destination row's
  // span is the only one the next destination row can share, so it is kept.
  std::vector<double> kept(n * 4), scratch(n * 4), acc(n * 4);
  int64_t keptRow = -1;
  for (int64_t r = r0; r < r1; ++r) {
    const Span& span = rows[size_t(r - r0)];
    std::fill(acc.begin(), acc.end(), 0.0);
    for (int64_t j = span.first; j <= span.last; ++j) {
      const double* filtered;
      if (j == keptRow) {
        filtered = kept.data();
      } else {
        double* out = j == span.last ? kept.data() : scratch.data();
        FilterRow(image->rgba.data() + size_t(j) * rowBytes, columns, sx, out);
        if (j == span.last) keptRow = j;
        filtered = out;
      }
      const double weight = j == span.first ? span.wFirst : j == span.last ? span.wLast : sy;
      AddWeighted(acc.data(), filtered, weight, n * 4);
    }
    CompositeRow(ctx->layout, acc.data(),
                 ctx->data + size_t(r) * ctx->bytesPerRow + size_t(c0) * ctx->layout.bytesPerPixel, n);
  }
}

// ---------------------------------------------------------------------------
// Block-reduction route.
//
// The rect is at whole-pixel coordinates and the image is exactly k times its
// size along both axes (2 <= k <= 16): each destination pixel is then the
// mean of one k x k block of source pixels, weighed equally. The resampling
// route would find it in doubles; here the block sums are taken in 16-bit
// integer lanes (255 k^2 <= 65280) and every result byte follows from them
// exactly. With n = k^2, S a channel's sum, A the alpha sum and d the
// destination byte, source-over gives
//   V = S / n + d (255n - A) / 255n.
// The resampling route lands within 1e-11 of V, while a V that is not a
// half-integer lies at least 1 / (2 x 255n) >= 7e-6 from one, so both round
// it alike; only exact halves may round either way there, and such pixels
// are handed to the resampling route itself so that the bytes stay the same.
// Most pixels need no general formula at all:
//  - an all-zero block leaves the destination as it is;
//  - over a fully opaque block, or over a destination pixel whose colour
//    bytes are zero and whose alpha is 0 or 255, V is S / n (alpha 255 when
//    the destination's is), so the byte is (S + n/2) / n. Where k is a power
//    of two the resampling route finds such means exactly and adds nothing
//    negative to them, so it rounds halves up as well; for other even k
//    halves are left to it.

// Rounded means of block sums in 16-bit lanes: (S + n/2) / n as
// ((x >> pre) x magic) >> (16 + post) for x = S + n/2 <= 255n + n/2. The
// parameters are searched, and checked for every such x, at compile time.
struct Divider {
  int pre = 0;
  uint16_t magic = 0;
  int post = 0;
};

constexpr Divider FindDivider(uint32_t n) {
  Divider d;
  uint32_t odd = n;  // n / 2^pre; left at 2 for powers of two, as a 16-bit magic cannot be 2^16
  while (odd % 2 == 0 && odd > 2) {
    odd /= 2;
    ++d.pre;
  }
  const uint32_t top = (255 * n + n / 2) >> d.pre;
  for (d.post = 0; d.post < 16; ++d.post) {
    const uint64_t magic = ((uint64_t(1) << (16 + d.post)) + odd - 1) / odd;
    if (magic > 0xffff) break;
    bool exact = true;
    for (uint32_t x = 0; x <= top && exact; ++x) exact = (x * magic) >> (16 + d.post) == x / odd;
    if (exact) {
      d.magic = uint16_t(magic);
      return d;
    }
  }
  return Divider{};
}

template <uint32_t... K>
constexpr std::array<Divider, sizeof...(K)> DividerTable(std::integer_sequence<uint32_t, K...>) {
  return {FindDivider((K + 2) * (K + 2))...};
}

// The divider for k at index k - 2.
constexpr auto kDividers = DividerTable(std::make_integer_sequence<uint32_t, 15>());
static_assert(std::all_of(kDividers.begin(), kDividers.end(), [](const Divider& d) { return d.magic != 0; }));

struct BlockMath {
  uint32_t n = 0;  // pixels per block, k^2
  Divider divider;
  bool ties = false;  // S / n can be a half that the resampling route may round down
};

BlockMath BlockMathFor(uint32_t k) {
  BlockMath m;
  m.n = k * k;
  m.divider = kDividers[k - 2];
  m.ties = k % 2 == 0 && (k & (k - 1)) != 0;
  return m;
}

// The block factor k for an image drawn at a whole-pixel size w x h, or 0
// when the image is not exactly k times that size with 2 <= k <= 16.
uint32_t ReductionFactor(const CGImage* image, double w, double h) {
  if (!(w >= 1 && h >= 1 && w == std::floor(w) && h == std::floor(h))) return 0;
  if (w > double(image->width) || h > double(image->height)) return 0;
  const auto bw = size_t(w), bh = size_t(h);
  const size_t k = image->width / bw;
  if (k < 2 || k > 16 || k * bw != image->width || k * bh != image->height) return 0;
  return uint32_t(k);
}

// Everything a row of the reduction needs to hand a pixel to the general
// formula or, on an exact half, to the resampling route.
struct ReducedDraw {
  CGContext* ctx;
  const CGImage* image;
  double left, top, w, h;  // the rect in memory coordinates
  BlockMath math;
};

// One destination pixel at p from its block sums s (R, G, B, A) by the rules
// above. False, with p untouched, when V is an exact half for some channel.
bool ComposeBlockPixel(const Layout& l, const BlockMath& m, const uint16_t s[4], uint8_t* p) {
  const int at[4] = {l.colour[0], l.colour[1], l.colour[2], l.alpha};
  uint32_t d[4];
  for (int ch = 0; ch < 4; ++ch) d[ch] = p[at[ch]];
  if (l.skip) d[3] = 255;
  uint8_t out[4];
  if ((s[0] | s[1] | s[2] | s[3]) == 0) {
    p[at[3]] = uint8_t(d[3]);  // only a padding byte changes
    return true;
  }
  const bool opaque = s[3] == 255 * m.n;
  const bool clearBelow = (d[0] | d[1] | d[2]) == 0 && (d[3] == 0 || d[3] == 255);
  if (opaque || clearBelow) {
    bool half = false;
    for (int ch = 0; ch < 4; ++ch) {
      const uint32_t x = s[ch] + m.n / 2;
      out[ch] = uint8_t(x / m.n);
      half |= m.ties && x % m.n == 0;
    }
    if (!half) {
      out[3] = std::max(out[3], uint8_t(d[3]));
      for (int ch = 0; ch < 4; ++ch) p[at[ch]] = out[ch];
      return true;
    }
  }
  // V + 1/2 = (255 S + d (255n - A) + 255n / 2) / 255n: halves of integers
  // below 2^27, exact in doubles, and the quotient is a whole number exactly
  // when V is a half (otherwise it is at least 1 / (2 x 255n) from one, far
  // beyond its rounding error).
  const double whole = 255.0 * m.n;
  const double keep = whole - double(s[3]);
  for (int ch = 0; ch < 4; ++ch) {
    const double q = (255.0 * double(s[ch]) + double(d[ch]) * keep + 0.5 * whole) / whole;
    const double t = std::floor(q);
    if (t == q) return false;
    out[ch] = t >= 255.0 ? 255 : uint8_t(t);
  }
  for (int ch = 0; ch < 4; ++ch) p[at[ch]] = out[ch];
  return true;
}

void ComposeOrResample(const ReducedDraw& g, int64_t c, int64_t r, const uint16_t s[4]) {
  uint8_t* p = g.ctx->data + size_t(r) * g.ctx->bytesPerRow + size_t(c) * 4;
  if (!ComposeBlockPixel(g.ctx->layout, g.math, s, p)) {
    DrawResampled(g.ctx, g.image, g.left, g.top, g.w, g.h, c, c + 1, r, r + 1);
  }
}

// Block sums and rounded means for `count` destination pixels whose blocks
// start at src, src + 4K, ... (source rows `stride` bytes apart): four 16-bit
// sums per destination pixel into sums and four mean bytes into means, both
// R, G, B, A. col is scratch of count x K x 4 lanes.
template <int K>
void BlockSums(const uint8_t* src, size_t stride, size_t count, uint16_t* col, uint16_t* sums, uint8_t* means) {
  constexpr uint32_t kN = K * K;
  size_t c = 0;  // destination pixels done
#if defined(__SSE2__)
  constexpr Divider kDiv = kDividers[K - 2];
  const __m128i zero = _mm_setzero_si128();
  // Rounded means of two pixels' sums, as 16-bit lanes.
  auto mean = [&](__m128i s) {
    const __m128i x = _mm_add_epi16(s, _mm_set1_epi16(short(kN / 2)));
    if constexpr (kDiv.magic == 0x8000 && kDiv.post == 0) return _mm_srli_epi16(x, kDiv.pre + 1);  // n = 2^(pre+1)
    return _mm_srli_epi16(_mm_mulhi_epu16(_mm_srli_epi16(x, kDiv.pre), _mm_set1_epi16(short(kDiv.magic))),
                          kDiv.post);
  };
  // Sums down the K rows of four source pixels at p, as two registers of two
  // pixels each (four 16-bit lanes per pixel, at most 255 K).
  auto down = [&](const uint8_t* p, __m128i& lo, __m128i& hi) {
    lo = hi = zero;
#pragma GCC unroll 16
    for (int j = 0; j < K; ++j) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + size_t(j) * stride));
      lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
      hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
    }
  };
  auto store = [](void* at, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(at), v); };
  if constexpr (K == 2) {
    // Four source pixels make two destination pixels: add the halves.
    auto pair = [&](const uint8_t* p) {
      __m128i lo, hi;
      down(p, lo, hi);
      return _mm_add_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi));
    };
    for (; c + 4 <= count; c += 4) {
      const __m128i s01 = pair(src + c * 8), s23 = pair(src + c * 8 + 16);
      store(sums + c * 4, s01);
      store(sums + c * 4 + 8, s23);
      store(means + c * 4, _mm_packus_epi16(mean(s01), mean(s23)));
    }
  } else if constexpr (K == 3) {
    // Twelve source pixels P0..P11 make four destination pixels; with u[i]
    // holding P2i and P2i+1, [P0+P1+P2, P3+P4+P5] is [u0.lo, u1.hi] +
    // [u0.hi, u2.lo] + [u1.lo, u2.hi], and likewise for the next six.
    auto lowHigh = [](__m128i a, __m128i b) {
      return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(a), _mm_castsi128_pd(b), 2));
    };
    auto highLow = [](__m128i a, __m128i b) {
      return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(a), _mm_castsi128_pd(b), 1));
    };
    for (; c + 4 <= count; c += 4) {
      __m128i u[6];
      const uint8_t* p = src + c * 12;
      down(p, u[0], u[1]);
      down(p + 16, u[2], u[3]);
      const __m128i s01 = _mm_add_epi16(_mm_add_epi16(lowHigh(u[0], u[1]), highLow(u[0], u[2])), lowHigh(u[1], u[2]));
      store(sums + c * 4, s01);
      down(p + 32, u[4], u[5]);
      const __m128i s23 = _mm_add_epi16(_mm_add_epi16(lowHigh(u[3], u[4]), highLow(u[3], u[5])), lowHigh(u[4], u[5]));
      store(sums + c * 4 + 8, s23);
      store(means + c * 4, _mm_packus_epi16(mean(s01), mean(s23)));
    }
  } else {
    // Down the rows into col, four source pixels at a time, then across: K
    // consecutive pixels per destination pixel, two at a time from unaligned
    // pairs, and the two halves added at the end.
    const size_t whole = count * K / 4 * 4;  // source pixels in full registers
    for (size_t p = 0; p < whole; p += 4) {
      __m128i lo, hi;
      down(src + p * 4, lo, hi);
      store(col + p * 4, lo);
      store(col + p * 4 + 8, hi);
    }
    const size_t ready = whole / K;  // destination pixels whose blocks are all in col
    auto partial = [&](size_t d) {
      const uint16_t* b = col + d * K * 4;
      __m128i x = zero;
#pragma GCC unroll 8
      for (int i = 0; i + 1 < K; i += 2) {
        x = _mm_add_epi16(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i * 4)));
      }
      if constexpr (K % 2 == 1) {
        x = _mm_add_epi16(x, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + (K - 1) * 4)));
      }
      return x;
    };
    for (; c + 2 <= ready; c += 2) {
      const __m128i a = partial(c), b = partial(c + 1);
      const __m128i s = _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b));
      store(sums + c * 4, s);
      const __m128i q = mean(s);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(means + c * 4), _mm_packus_epi16(q, q));
    }
  }
#else
  (void)col;
#endif
  // The rest one pixel at a time.
  for (; c < count; ++c) {
    uint32_t sum[4] = {0, 0, 0, 0};
    const uint8_t* row = src + c * K * 4;
    for (int j = 0; j < K; ++j, row += stride) {
      for (int i = 0; i < K * 4; ++i) sum[i % 4] += row[i];
    }
    for (int ch = 0; ch < 4; ++ch) {
      sums[c * 4 + ch] = uint16_t(sum[ch]);
      means[c * 4 + ch] = uint8_t((sum[ch] + kN / 2) / kN);
    }
  }
}

using BlockSumsFn = void (*)(const uint8_t*, size_t, size_t, uint16_t*, uint16_t*, uint8_t*);

template <int... K>
constexpr std::array<BlockSumsFn, sizeof...(K)> BlockSumsTable(std::integer_sequence<int, K...>) {
  return {BlockSums<K + 2>...};
}

// BlockSums<k> at index k - 2.
constexpr auto kBlockSums = BlockSumsTable(std::make_integer_sequence<int, 15>());

// Whether DrawReduced may use the AVX2 kernels (where the CPU has them).
std::atomic<bool> gWideBlockSums{true};

#if defined(CORVANE_WIDE_BLOCK_SUMS)
#define CORVANE_AVX2 __attribute__((target("avx2")))

bool CpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// The AVX2 kernels take eight destination pixels at a time and keep the
// channels apart without byte shuffles: a source register read as 16-bit
// lanes gives R and B in the low bytes (v & 0xff) and G and A in the high
// ones (v >> 8), so the sums down the rows are two registers of one 32-bit
// lane per pixel. Across, the K pixels of a block are added lane-wise after
// moving them into place, and the two halves are interleaved only at the end,
// on the block sums. The lanes are the same integer sums as BlockSums<K>.
//
// The eight block sums arrive in the lane order [0 1 4 5 | 2 3 6 7], which
// makes the interleave give pixels 0-3 and 4-7 each in one register.

// Rounded means of sums in 16-bit lanes, as in BlockSums<K>.
template <int K>
CORVANE_AVX2 inline __m256i WideMean(__m256i s) {
  constexpr Divider kDiv = kDividers[K - 2];
  const __m256i x = _mm256_add_epi16(s, _mm256_set1_epi16(short(K * K / 2)));
  if constexpr (kDiv.magic == 0x8000 && kDiv.post == 0) return _mm256_srli_epi16(x, kDiv.pre + 1);  // n = 2^(pre+1)
  return _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_srli_epi16(x, kDiv.pre), _mm256_set1_epi16(short(kDiv.magic))),
                           kDiv.post);
}

template <int K>
CORVANE_AVX2 inline void StoreWideBlockSums(__m256i rb, __m256i ga, uint16_t* sums, uint8_t* means) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums), _mm256_unpacklo_epi16(rb, ga));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + 16), _mm256_unpackhi_epi16(rb, ga));
  // The means are at most 255: R | G << 8 and B | A << 8 are the bytes of a
  // pixel in R, G, B, A order; the 64-bit permute restores pixel order.
  const __m256i bytes = _mm256_or_si256(WideMean<K>(rb), _mm256_slli_epi16(WideMean<K>(ga), 8));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(means), _mm256_permute4x64_epi64(bytes, 0xD8));
}

// Sums down K rows of N registers of source bytes at p: the low bytes of each
// 16-bit lane into rb[i], the high bytes into ga[i] (at most 255 K each).
template <int K, int N>
CORVANE_AVX2 inline void WideDown(const uint8_t* p, size_t stride, __m256i (&rb)[N], __m256i (&ga)[N]) {
  const __m256i low = _mm256_set1_epi16(0xff);
#pragma GCC unroll 4
  for (int i = 0; i < N; ++i) rb[i] = ga[i] = _mm256_setzero_si256();
#pragma GCC unroll 16
  for (int j = 0; j < K; ++j) {
#pragma GCC unroll 4
    for (int i = 0; i < N; ++i) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + size_t(j) * stride + size_t(i) * 32));
      rb[i] = _mm256_add_epi16(rb[i], _mm256_and_si256(v, low));
      ga[i] = _mm256_add_epi16(ga[i], _mm256_srli_epi16(v, 8));
    }
  }
}

// K = 2: pixel pairs of the two registers of sums, added in-lane, come out
// as blocks [0 1 4 5 | 2 3 6 7].
CORVANE_AVX2 inline __m256i WideAcross2(__m256i a, __m256i b) {
  const __m256 fa = _mm256_castsi256_ps(a), fb = _mm256_castsi256_ps(b);
  return _mm256_add_epi16(_mm256_castps_si256(_mm256_shuffle_ps(fa, fb, 0x88)),
                          _mm256_castps_si256(_mm256_shuffle_ps(fa, fb, 0xDD)));
}

// Odd K: block d of the eight covers source pixels K d to K d + K - 1, pixel
// i being lane i % 8 of register i / 8. Its t-th pixels, K d + t for the
// eight d, lie in distinct lanes since K and 8 are coprime, so blends gather
// them into one register and one lane permute puts them in output order.
template <int K>
constexpr int WideBlendMask(int t, int reg) {
  int mask = 0;
  for (int d = 0; d < 8; ++d) {
    if ((K * d + t) / 8 == reg) mask |= 1 << ((K * d + t) % 8);
  }
  return mask;
}

template <int K, int T, int R = 1>
CORVANE_AVX2 inline __m256i WideGather(const __m256i (&r)[K], __m256i b) {
  if constexpr (R == K) {
    return b;
  } else {
    // A named constant, so the mask is an immediate even without optimisation.
    constexpr int kMask = WideBlendMask<K>(T, R);
    return WideGather<K, T, R + 1>(r, _mm256_blend_epi32(b, r[R], kMask));
  }
}

template <int K, int T = 0>
CORVANE_AVX2 inline __m256i WideAcrossOdd(const __m256i (&r)[K]) {
  static_assert(K % 2 == 1);
  constexpr int kOrder[8] = {0, 1, 4, 5, 2, 3, 6, 7};
  const __m256i idx = _mm256_setr_epi32((K * kOrder[0] + T) % 8, (K * kOrder[1] + T) % 8, (K * kOrder[2] + T) % 8,
                                        (K * kOrder[3] + T) % 8, (K * kOrder[4] + T) % 8, (K * kOrder[5] + T) % 8,
                                        (K * kOrder[6] + T) % 8, (K * kOrder[7] + T) % 8);
  const __m256i term = _mm256_permutevar8x32_epi32(WideGather<K, T>(r, r[0]), idx);
  if constexpr (T + 1 == K) {
    return term;
  } else {
    return _mm256_add_epi16(term, WideAcrossOdd<K, T + 1>(r));
  }
}

// BlockSums<K> for K = 2 and 3, eight destination pixels at a time; the
// last one to seven by BlockSums<K>.
template <int K>
CORVANE_AVX2 void BlockSumsAvx2(const uint8_t* src, size_t stride, size_t count, uint16_t* col, uint16_t* sums,
                                uint8_t* means) {
  static_assert(K == 2 || K == 3);
  size_t c = 0;
  for (; c + 8 <= count; c += 8) {
    __m256i rb[K], ga[K];  // 8 K source pixels, eight to a register
    WideDown<K, K>(src + c * K * 4, stride, rb, ga);
    if constexpr (K == 2) {
      StoreWideBlockSums<K>(WideAcross2(rb[0], rb[1]), WideAcross2(ga[0], ga[1]), sums + c * 4, means + c * 4);
    } else {
      StoreWideBlockSums<K>(WideAcrossOdd<K>(rb), WideAcrossOdd<K>(ga), sums + c * 4, means + c * 4);
    }
  }
  if (c < count) {
    // Clean upper halves before the SSE code (the compiler may make this a
    // tail call without one).
    _mm256_zeroupper();
    BlockSums<K>(src + c * K * 4, stride, count - c, col, sums + c * 4, means + c * 4);
  }
}

template <int... K>
constexpr std::array<BlockSumsFn, sizeof...(K)> BlockSumsAvx2Table(std::integer_sequence<int, K...>) {
  return {(K + 2 <= 3 ? BlockSumsAvx2<(K + 2 <= 3 ? K + 2 : 2)> : BlockSums<K + 2>)...};
}

// BlockSumsAvx2<k> for k = 2 and 3, BlockSums<k> for the rest, at index k - 2.
constexpr auto kBlockSumsAvx2 = BlockSumsAvx2Table(std::make_integer_sequence<int, 15>());
#endif

// The block-sum kernels for this CPU.
const std::array<BlockSumsFn, 15>& BlockSumsKernels() {
#if defined(CORVANE_WIDE_BLOCK_SUMS)
  if (gWideBlockSums.load(std::memory_order_relaxed) && CpuHasAvx2()) return kBlockSumsAvx2;
#endif
  return kBlockSums;
}

// Composites one row of `count` destination pixels at dst (columns c0 on)
// from their block sums and means: four pixels at a time, those the simple
// rules cover in vector form and the rest one by one.
template <Order O>
void ComposeBlockRow(const ReducedDraw& g, const uint16_t* sums, const uint8_t* means, uint8_t* dst, size_t count,
                     int64_t c0, int64_t r) {
#if defined(__SSE2__)
  const bool ties = g.math.ties;
  const uint32_t alphaBits = 0xffu << kAlphaShift<O>;
  const uint32_t skipBits = g.ctx->layout.skip ? alphaBits : 0u;

  // Writes the pixels it can; returns a 16-bit mask with the four bytes of
  // each pixel it wrote set.
  auto group = [&](const uint16_t* s, const uint8_t* mn, uint8_t* d) __attribute__((always_inline)) {
    const __m128i skip = _mm_set1_epi32(int(skipBits));
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mn));
    const __m128i mean = Swizzle4<O>(raw);
    const __m128i orig = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    const __m128i below = _mm_or_si128(orig, skip);
    // The common cases whole: nothing below (as when sampling into a zeroed
    // buffer), or four opaque blocks.
    if (!ties && _mm_movemask_epi8(_mm_cmpeq_epi8(below, skip)) == 0xffff) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(mean, skip));
      return 0xffff;
    }
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi32(-1);
    const __m128i full = _mm_set1_epi16(short(255 * g.math.n));
    const __m128i s01 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i s23 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8));
    // Byte-wide flags from 16-bit comparisons, in R, G, B, A order.
    const __m128i opaqueBytes = _mm_packs_epi16(_mm_cmpeq_epi16(s01, full), _mm_cmpeq_epi16(s23, full));
    if (!ties && (_mm_movemask_epi8(opaqueBytes) & 0x8888) == 0x8888) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), mean);
      return 0xffff;
    }

    // Per-pixel conditions as whole 32-bit lanes.
    const __m128i opaque = _mm_srai_epi32(opaqueBytes, 24);
    const __m128i empty =
        _mm_cmpeq_epi32(_mm_packs_epi16(_mm_cmpeq_epi16(s01, zero), _mm_cmpeq_epi16(s23, zero)), ones);
    __m128i exact = ones;
    if (ties) {
      // (S + n/2) / n without remainder: S / n is a half.
      const __m128i half = _mm_set1_epi16(short(g.math.n / 2)), n = _mm_set1_epi16(short(g.math.n));
      const __m128i h01 = _mm_cmpeq_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(raw, zero), n), _mm_add_epi16(s01, half));
      const __m128i h23 = _mm_cmpeq_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(raw, zero), n), _mm_add_epi16(s23, half));
      exact = _mm_cmpeq_epi32(_mm_packs_epi16(h01, h23), zero);
    }
    const __m128i alphaMask = _mm_set1_epi32(int(alphaBits));
    const __m128i belowAlpha = _mm_and_si128(below, alphaMask);
    const __m128i clearBelow =
        _mm_and_si128(_mm_cmpeq_epi32(_mm_andnot_si128(alphaMask, below), zero),
                      _mm_or_si128(_mm_cmpeq_epi32(belowAlpha, zero), _mm_cmpeq_epi32(belowAlpha, alphaMask)));
    const __m128i useMean = _mm_and_si128(_mm_or_si128(opaque, clearBelow), exact);
    const __m128i keepBelow = _mm_andnot_si128(useMean, empty);
    const __m128i done = _mm_or_si128(useMean, keepBelow);
    const __m128i out = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(useMean, _mm_max_epu8(mean, belowAlpha)), _mm_and_si128(keepBelow, below)),
        _mm_andnot_si128(done, orig));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), out);
    return _mm_movemask_epi8(done);
  };
  auto finish = [&](size_t c, size_t n4, int written) {
    if (written == 0xffff) return;
    for (size_t i = 0; i < n4; ++i) {
      if (!(written >> (4 * i) & 1)) ComposeOrResample(g, c0 + int64_t(c + i), r, sums + (c + i) * 4);
    }
  };

  size_t c = 0;
  if (!ties) {
    // Nothing below in the whole row (as when sampling into a zeroed
    // buffer): the means are the result.
    const __m128i skip = _mm_set1_epi32(int(skipBits));
    __m128i same = _mm_set1_epi32(-1);
    for (; c + 4 <= count; c += 4) {
      const __m128i below = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + c * 4)), skip);
      same = _mm_and_si128(same, _mm_cmpeq_epi8(below, skip));
    }
    if (_mm_movemask_epi8(same) == 0xffff) {
      for (c = 0; c + 4 <= count; c += 4) {
        const __m128i mean = Swizzle4<O>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(means + c * 4)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + c * 4), _mm_or_si128(mean, skip));
      }
    } else {
      c = 0;
    }
  }
  for (; c + 4 <= count; c += 4) finish(c, 4, group(sums + c * 4, means + c * 4, dst + c * 4));
  if (c < count) {
    // The last one to three pixels through zero-padded copies.
    const size_t n4 = count - c;
    alignas(16) uint16_t s[16] = {};
    alignas(16) uint8_t mn[16] = {};
    alignas(16) uint8_t d[16] = {};
    std::memcpy(s, sums + c * 4, n4 * 8);
    std::memcpy(mn, means + c * 4, n4 * 4);
    std::memcpy(d, dst + c * 4, n4 * 4);
    const int written = group(s, mn, d);
    std::memcpy(dst + c * 4, d, n4 * 4);
    finish(c, n4, written);
  }
#else
  (void)means;
  (void)dst;
  for (size_t c = 0; c < count; ++c) ComposeOrResample(g, c0 + int64_t(c), r, sums + c * 4);
#endif
}

void DrawReduced(CGContext* ctx, const CGImage* image, Order order, uint32_t k, double left, double top, double w,
                 double h, int64_t c0, int64_t c1, int64_t r0, int64_t r1) {
  const ReducedDraw g{ctx, image, left, top, w, h, BlockMathFor(k)};
  const size_t count = size_t(c1 - c0);
  // Scratch in 16-bit lanes: count x k source pixels of column sums, count
  // block sums, then count mean pixels (two lanes each).
  const size_t lanes = count * k * 4 + count * 4 + count * 2;
  uint16_t local[4096];
  std::vector<uint16_t> heap;
  uint16_t* col = local;
  if (lanes > std::size(local)) {
    heap.resize(lanes);
    col = heap.data();
  }
  uint16_t* sums = col + count * k * 4;
  auto* means = reinterpret_cast<uint8_t*>(sums + count * 4);

  const BlockSumsFn blockSums = BlockSumsKernels()[k - 2];
  const size_t stride = image->width * 4;
  const auto x0 = int64_t(left), y0 = int64_t(top);
  for (int64_t r = r0; r < r1; ++r) {
    const uint8_t* src = image->rgba.data() + size_t(r - y0) * k * stride + size_t(c0 - x0) * k * 4;
    blockSums(src, stride, count, col, sums, means);
    uint8_t* dst = ctx->data + size_t(r) * ctx->bytesPerRow + size_t(c0) * 4;
    switch (order) {
      case Order::RGBA: ComposeBlockRow<Order::RGBA>(g, sums, means, dst, count, c0, r); break;
      case Order::ARGB: ComposeBlockRow<Order::ARGB>(g, sums, means, dst, count, c0, r); break;
      case Order::BGRA: ComposeBlockRow<Order::BGRA>(g, sums, means, dst, count, c0, r); break;
      case Order::ABGR: ComposeBlockRow<Order::ABGR>(g, sums, means, dst, count, c0, r); break;
    }
  }
}

}  // namespace

// Allows or forbids the AVX2 block-sum kernels (allowed by default), so that
// tests can compare both paths; returns whether they are now in use.
bool UseWideBlockSums(bool enabled) {
  gWideBlockSums.store(enabled, std::memory_order_relaxed);
#if defined(CORVANE_WIDE_BLOCK_SUMS)
  return enabled && CpuHasAvx2();
#else
  return false;
#endif
}

}  // namespace sim::graphics

using namespace sim::graphics;

extern "C" void CGContextDrawImage(CGContextRef ctx, CGRect rect, CGImageRef image) {
  if (!ctx || !image) return;
  double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) return;
  // A negative size extends the rect the other way from its origin.
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  if (!(w > 0 && h > 0)) return;

  // Memory coordinates: row 0 is the top of the context, at y = height.
  const double width = double(ctx->width), height = double(ctx->height);
  const double left = x, right = x + w;
  const double top = height - (y + h), bottom = height - y;
  if (!std::isfinite(right) || !std::isfinite(top) || !std::isfinite(bottom)) return;
  if (!(right > 0 && left < width && bottom > 0 && top < height)) return;
  const auto c0 = int64_t(std::max(0.0, std::floor(left)));
  const auto c1 = int64_t(std::min(width, std::ceil(right)));
  const auto r0 = int64_t(std::max(0.0, std::floor(top)));
  const auto r1 = int64_t(std::min(height, std::ceil(bottom)));
  if (c1 <= c0 || r1 <= r0) return;

  Order order;
  if (left == std::floor(left) && top == std::floor(top) && DestinationOrder(ctx->layout, &order)) {
    if (w == double(image->width) && h == double(image->height)) {
      DrawIdentity(ctx, image, order, int64_t(left), int64_t(top), c0, c1, r0, r1);
      return;
    }
    if (const uint32_t k = ReductionFactor(image, w, h)) {
      DrawReduced(ctx, image, order, k, left, top, w, h, c0, c1, r0, r1);
      return;
    }
  }
  DrawResampled(ctx, image, left, top, w, h, c0, c1, r0, r1);
}
