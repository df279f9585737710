// CGContextDrawImage: area-averaging resampling and source-over compositing
// of premultiplied pixels.
//
// Two routes:
//  - Identity: the rect has the image's own size at whole-pixel coordinates.
//    Each pixel is composited as it is (integer source-over, four pixels at a
//    time), with no resampling at all. This is the icon-sized draw that the
//    host repeats in every layout pass.
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
#include <cmath>
#include <cstring>
#include <vector>

#include "sim/graphics/cg_objects.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

}  // namespace
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
  if (w == double(image->width) && h == double(image->height) && left == std::floor(left) &&
      top == std::floor(top) && DestinationOrder(ctx->layout, &order)) {
    DrawIdentity(ctx, image, order, int64_t(left), int64_t(top), c0, c1, r0, r1);
    return;
  }
  DrawResampled(ctx, image, left, top, w, h, c0, c1, r0, r1);
}
