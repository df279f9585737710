// The reference route of CGContextDrawImage, and the one every other rect
// takes: a separable box filter with exact fractional coverage. A
// destination pixel [c, c+1) x [r, r+1) receives, for every source pixel,
// the area of their overlap (in destination pixels) times that source
// pixel, so a uniform image stays uniform at any scale and a pixel only
// partly inside the rect gets the mean scaled by its coverage. Along each
// axis a destination pixel covers at most a partial first source pixel, a
// run of whole ones (all of equal weight) and a partial last one; the run is
// summed in integers and weighted once, which keeps large reductions close
// to the cost of reading the source. Filtering is done in double precision
// and the source-over result rounded once, to nearest.
//
// The SSE2 forms of the loops do the same double arithmetic as the plain
// ones; with the vector kernels switched off the plain ones run.
#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/graphics/draw_routes.h"

namespace sim::graphics {
namespace {

// The source pixels that one destination pixel overlaps along one axis:
// first and last (inclusive) with their overlap lengths, and between them a
// run of whole source pixels each weighing `scale`. Empty when last < first.
// `whole` marks a span that starts and ends on source pixel edges, so that
// every pixel in it weighs `scale` (exact reductions such as 3:1 or n:1).
struct Span {
  int64_t first = 0;
  int64_t last = -1;
  double w_first = 0;  // the only weight when first == last
  double w_last = 0;
  bool whole = false;
};

// Source pixel i covers [origin + i x extent / count, origin + (i+1) x
// extent / count) in destination coordinates; spans for destination pixels
// [d0, d1). Positions are computed as (d - origin) x count / extent so that
// whole-number geometry gives exact source edges.
std::vector<Span> make_spans(int64_t d0, int64_t d1, double origin, double extent, size_t count) {
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
      s.w_first = (u1 - u0) * scale;
    } else {
      s.w_first = (double(s.first + 1) - u0) * scale;
      s.w_last = (u1 - double(s.last)) * scale;
    }
  }
  return spans;
}

// Per-channel sums of n packed RGBA pixels.
template <bool Vector>
void run_sum(const uint8_t* p, size_t n, uint64_t sum[4]) {
  uint64_t r = 0, g = 0, b = 0, a = 0;
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  while (Vector && n - i >= 4) {
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

// The four channels of a pixel as doubles: PlainPx one at a time, VectorPx
// two to an SSE2 register. Both do the same double arithmetic in the same
// order, so they give the same bits.
struct PlainPx {
  static constexpr bool kVector = false;
  double v[4];

  static PlainPx zero() { return {{0, 0, 0, 0}}; }
  static PlainPx Load(const uint8_t* p) { return {{double(p[0]), double(p[1]), double(p[2]), double(p[3])}}; }
  static PlainPx from_sums(const uint64_t s[4]) {
    return {{double(s[0]), double(s[1]), double(s[2]), double(s[3])}};
  }
  // The sum of n (at most kShortRun) consecutive pixels.
  static PlainPx sum_short(const uint8_t* p, int64_t n) {
    PlainPx acc = zero();
    for (int64_t i = 0; i < n; ++i) acc.add(Load(p + i * 4));
    return acc;
  }
  void add(const PlainPx& p) {
    for (int k = 0; k < 4; ++k) v[k] += p.v[k];
  }
  void madd(double w, const PlainPx& p) {
    for (int k = 0; k < 4; ++k) v[k] += w * p.v[k];
  }
  void store(double* out) const { std::memcpy(out, v, sizeof v); }
};

#if defined(__SSE2__)
struct VectorPx {
  static constexpr bool kVector = true;
  __m128d lo, hi;

  static VectorPx zero() { return {_mm_setzero_pd(), _mm_setzero_pd()}; }
  static VectorPx Load(const uint8_t* p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(load32(p))), zero), zero);
    return {_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_shuffle_epi32(v, 0xEE))};
  }
  static VectorPx from_sums(const uint64_t s[4]) {
    return {_mm_set_pd(double(s[1]), double(s[0])), _mm_set_pd(double(s[3]), double(s[2]))};
  }
  // Summed in integers (exact), then converted.
  static VectorPx sum_short(const uint8_t* p, int64_t n) {
    const __m128i zero = _mm_setzero_si128();
    __m128i acc = zero;
    for (int64_t i = 0; i < n; ++i) {
      acc = _mm_add_epi32(
          acc, _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(load32(p + i * 4))), zero), zero));
    }
    return {_mm_cvtepi32_pd(acc), _mm_cvtepi32_pd(_mm_shuffle_epi32(acc, 0xEE))};
  }
  void madd(double w, const VectorPx& p) {
    const __m128d ww = _mm_set1_pd(w);
    lo = _mm_add_pd(lo, _mm_mul_pd(ww, p.lo));
    hi = _mm_add_pd(hi, _mm_mul_pd(ww, p.hi));
  }
  void store(double* out) const {
    _mm_storeu_pd(out, lo);
    _mm_storeu_pd(out + 2, hi);
  }
};
#else
using VectorPx = PlainPx;
#endif

// Runs up to this long are added pixel by pixel; longer ones in integers.
constexpr int64_t kShortRun = 8;

// The per-channel sum of n consecutive pixels, as doubles.
template <class Px>
inline Px sum_pixels(const uint8_t* p, int64_t n) {
  if (n > kShortRun) {
    uint64_t sums[4];
    run_sum<Px::kVector>(p, size_t(n), sums);
    return Px::from_sums(sums);
  }
  return Px::sum_short(p, n);
}

// One source row filtered horizontally: four doubles per destination column.
template <class Px>
void filter_row(const uint8_t* row, const std::vector<Span>& spans, double scale, double* out) {
  for (const Span& s : spans) {
    Px acc = Px::zero();
    if (s.whole) {
      acc.madd(scale, sum_pixels<Px>(row + s.first * 4, s.last - s.first + 1));
    } else if (s.last >= s.first) {
      acc.madd(s.w_first, Px::Load(row + s.first * 4));
      if (s.last > s.first) {
        if (s.last - s.first > 1)
          acc.madd(scale, sum_pixels<Px>(row + (s.first + 1) * 4, s.last - s.first - 1));
        acc.madd(s.w_last, Px::Load(row + s.last * 4));
      }
    }
    acc.store(out);
    out += 4;
  }
}

// acc[i] += weight x values[i] for n doubles.
void add_weighted(double* acc, const double* values, double weight, size_t n, bool vector) {
  (void)vector;  // without SSE2 there is only the plain loop
  size_t i = 0;
#if defined(__SSE2__)
  const __m128d w = _mm_set1_pd(weight);
  for (; vector && i + 2 <= n; i += 2) {
    _mm_storeu_pd(acc + i, _mm_add_pd(_mm_loadu_pd(acc + i), _mm_mul_pd(w, _mm_loadu_pd(values + i))));
  }
#endif
  for (; i < n; ++i) acc[i] += weight * values[i];
}

// Round to nearest (halves up), saturating to 0..255.
inline uint8_t to_byte(double v) { return uint8_t(std::min(std::max(v + 0.5, 0.0), 255.0)); }

// The share of the destination that shows through a source of alpha a.
inline double backdrop_share(double a) { return std::max(0.0, 1.0 - a * (1.0 / 255.0)); }

#if defined(__SSE2__)
// composite_row for a four-byte RGB destination of a known order.
template <Order O>
void composite_row_rgb(const double* s, uint8_t* dst, size_t n, uint32_t skip_mask) {
  const __m128i zero = _mm_setzero_si128();
  const __m128d half = _mm_set1_pd(0.5), top = _mm_set1_pd(255.0), one = _mm_set1_pd(1.0);
  const __m128d inverse = _mm_set1_pd(1.0 / 255.0);
  for (size_t i = 0; i < n; ++i, s += 4, dst += 4) {
    const __m128i word = _mm_cvtsi32_si128(int(load32(dst) | skip_mask));
    const __m128i d = _mm_unpacklo_epi16(_mm_unpacklo_epi8(unswizzle4<O>(word), zero), zero);
    const __m128d keep =
        _mm_max_pd(_mm_setzero_pd(), _mm_sub_pd(one, _mm_mul_pd(_mm_set1_pd(s[3]), inverse)));
    __m128d lo = _mm_add_pd(_mm_loadu_pd(s), _mm_mul_pd(_mm_cvtepi32_pd(d), keep));
    __m128d hi =
        _mm_add_pd(_mm_loadu_pd(s + 2), _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(d, 0xEE)), keep));
    lo = _mm_min_pd(_mm_max_pd(_mm_add_pd(lo, half), _mm_setzero_pd()), top);
    hi = _mm_min_pd(_mm_max_pd(_mm_add_pd(hi, half), _mm_setzero_pd()), top);
    const __m128i ints = _mm_unpacklo_epi64(_mm_cvttpd_epi32(lo), _mm_cvttpd_epi32(hi));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(ints, zero), zero);
    store32(dst, uint32_t(_mm_cvtsi128_si32(swizzle4<O>(bytes))));
  }
}
#endif

// Composites n resampled premultiplied RGBA pixels (doubles) source-over
// onto a destination row, rounding each result once.
void composite_row(const Layout& l, const double* s, uint8_t* dst, size_t n, bool vector) {
  (void)vector;  // without SSE2 there is only the plain loop
  const size_t step = l.bytes_per_pixel;
  switch (l.model) {
    case PixelModel::RGB: {
#if defined(__SSE2__)
      Order order;
      if (vector && destination_order(l, &order)) {
        const uint32_t skip_mask = l.skip ? (0xffu << (8 * l.alpha)) : 0u;
        switch (order) {
          case Order::RGBA: return composite_row_rgb<Order::RGBA>(s, dst, n, skip_mask);
          case Order::ARGB: return composite_row_rgb<Order::ARGB>(s, dst, n, skip_mask);
          case Order::BGRA: return composite_row_rgb<Order::BGRA>(s, dst, n, skip_mask);
          case Order::ABGR: return composite_row_rgb<Order::ABGR>(s, dst, n, skip_mask);
        }
      }
#endif
      const int r = l.colour[0], g = l.colour[1], b = l.colour[2], a = l.alpha;
      if (l.skip) {  // opaque destination: the padding byte is written 255
        for (size_t i = 0; i < n; ++i, s += 4, dst += step) {
          const double keep = backdrop_share(s[3]);
          dst[r] = to_byte(s[0] + dst[r] * keep);
          dst[g] = to_byte(s[1] + dst[g] * keep);
          dst[b] = to_byte(s[2] + dst[b] * keep);
          dst[a] = 255;
        }
      } else {
        for (size_t i = 0; i < n; ++i, s += 4, dst += step) {
          const double keep = backdrop_share(s[3]);
          dst[r] = to_byte(s[0] + dst[r] * keep);
          dst[g] = to_byte(s[1] + dst[g] * keep);
          dst[b] = to_byte(s[2] + dst[b] * keep);
          dst[a] = to_byte(s[3] + dst[a] * keep);
        }
      }
      return;
    }
    case PixelModel::Gray: {
      const int y = l.colour[0];
      for (size_t i = 0; i < n; ++i, s += 4, dst += step) {
        const double luminance = 0.299 * s[0] + 0.587 * s[1] + 0.114 * s[2];
        dst[y] = to_byte(luminance + dst[y] * backdrop_share(s[3]));
      }
      return;
    }
    case PixelModel::CMYK: {
      // Through RGB (the destination is opaque), then back with as much
      // black as possible.
      for (size_t i = 0; i < n; ++i, s += 4, dst += step) {
        const double keep = backdrop_share(s[3]);
        const double white = (255.0 - dst[l.colour[3]]) / 255.0;
        double rgb[3];
        for (int k = 0; k < 3; ++k) rgb[k] = s[k] + (255.0 - dst[l.colour[k]]) * white * keep;
        const double lightest = std::min(255.0, std::max({rgb[0], rgb[1], rgb[2]}));
        for (int k = 0; k < 3; ++k) {
          dst[l.colour[k]] = lightest > 0 ? to_byte((lightest - rgb[k]) * 255.0 / lightest) : 0;
        }
        dst[l.colour[3]] = to_byte(255.0 - lightest);
      }
      return;
    }
    case PixelModel::AlphaOnly: return;
  }
}

}  // namespace

void draw_resampled(CGContext* ctx, const CGImage* image, double left, double top, double w, double h,
                    int64_t c0, int64_t c1, int64_t r0, int64_t r1) {
  const double sx = w / double(image->width);
  const double sy = h / double(image->height);
  const std::vector<Span> columns = make_spans(c0, c1, left, w, image->width);
  const std::vector<Span> rows = make_spans(r0, r1, top, h, image->height);
  const size_t n = size_t(c1 - c0);
  const size_t row_bytes = image->width * 4;
  const bool vector = vector_kernels_enabled();
  const auto filter = vector ? filter_row<VectorPx> : filter_row<PlainPx>;

  // A source row is filtered once: the last row of one destination row's
  // span is the only one the next destination row can share, so it is kept.
  std::vector<double> kept(n * 4), scratch(n * 4), acc(n * 4);
  int64_t kept_row = -1;
  for (int64_t r = r0; r < r1; ++r) {
    const Span& span = rows[size_t(r - r0)];
    std::fill(acc.begin(), acc.end(), 0.0);
    for (int64_t j = span.first; j <= span.last; ++j) {
      const double* filtered;
      if (j == kept_row) {
        filtered = kept.data();
      } else {
        double* out = j == span.last ? kept.data() : scratch.data();
        filter(image->rgba.data() + size_t(j) * row_bytes, columns, sx, out);
        if (j == span.last) kept_row = j;
        filtered = out;
      }
      const double weight = j == span.first ? span.w_first : j == span.last ? span.w_last : sy;
      add_weighted(acc.data(), filtered, weight, n * 4, vector);
    }
    composite_row(ctx->layout, acc.data(),
                  ctx->data + size_t(r) * ctx->bytes_per_row + size_t(c0) * ctx->layout.bytes_per_pixel, n,
                  vector);
  }
}

}  // namespace sim::graphics
