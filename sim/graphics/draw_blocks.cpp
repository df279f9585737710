// The whole-block route of CGContextDrawImage.
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
#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "sim/graphics/draw_block_math.h"
#include "sim/graphics/draw_routes.h"

namespace sim::graphics {

static_assert(std::all_of(kDividers.begin(), kDividers.end(), [](const Divider& d) { return d.magic != 0; }));

namespace {

struct BlockMath {
  uint32_t n = 0;  // pixels per block, k^2
  Divider divider;
  bool ties = false;  // S / n can be a half that the resampling route may round down
};

BlockMath block_math_for(uint32_t k) {
  BlockMath m;
  m.n = k * k;
  m.divider = kDividers[k - 2];
  m.ties = k % 2 == 0 && (k & (k - 1)) != 0;
  return m;
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
bool compose_block_pixel(const Layout& l, const BlockMath& m, const uint16_t s[4], uint8_t* p) {
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
  const bool clear_below = (d[0] | d[1] | d[2]) == 0 && (d[3] == 0 || d[3] == 255);
  if (opaque || clear_below) {
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

void compose_or_resample(const ReducedDraw& g, int64_t c, int64_t r, const uint16_t s[4]) {
  uint8_t* p = g.ctx->data + size_t(r) * g.ctx->bytes_per_row + size_t(c) * 4;
  if (!compose_block_pixel(g.ctx->layout, g.math, s, p)) {
    draw_resampled(g.ctx, g.image, g.left, g.top, g.w, g.h, c, c + 1, r, r + 1);
  }
}

// The narrow block-sum kernel (see BlockSumsFn): with Vector, SSE2 where
// available; then one pixel at a time.
template <int K, bool Vector>
void block_sums(const uint8_t* src, size_t stride, size_t count, uint16_t* col, uint16_t* sums,
                uint8_t* means) {
  constexpr uint32_t kN = K * K;
  size_t c = 0;  // destination pixels done
#if defined(__SSE2__)
  if constexpr (Vector) {
    constexpr Divider kDiv = kDividers[K - 2];
    const __m128i zero = _mm_setzero_si128();
    // Rounded means of two pixels' sums, as 16-bit lanes.
    auto mean = [&](__m128i s) {
      const __m128i x = _mm_add_epi16(s, _mm_set1_epi16(short(kN / 2)));
      if constexpr (kDiv.magic == 0x8000 && kDiv.post == 0)
        return _mm_srli_epi16(x, kDiv.pre + 1);  // n = 2^(pre+1)
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
      auto low_high = [](__m128i a, __m128i b) {
        return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(a), _mm_castsi128_pd(b), 2));
      };
      auto high_low = [](__m128i a, __m128i b) {
        return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(a), _mm_castsi128_pd(b), 1));
      };
      for (; c + 4 <= count; c += 4) {
        __m128i u[6];
        const uint8_t* p = src + c * 12;
        down(p, u[0], u[1]);
        down(p + 16, u[2], u[3]);
        const __m128i s01 =
            _mm_add_epi16(_mm_add_epi16(low_high(u[0], u[1]), high_low(u[0], u[2])), low_high(u[1], u[2]));
        store(sums + c * 4, s01);
        down(p + 32, u[4], u[5]);
        const __m128i s23 =
            _mm_add_epi16(_mm_add_epi16(low_high(u[3], u[4]), high_low(u[3], u[5])), low_high(u[4], u[5]));
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

bool cpu_has_avx2() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

// The narrow kernels with the vector kernels switched off.
constexpr BlockSumsFn kPlainBlockSums[15] = {
    block_sums<2, false>,  block_sums<3, false>,  block_sums<4, false>,  block_sums<5, false>,
    block_sums<6, false>,  block_sums<7, false>,  block_sums<8, false>,  block_sums<9, false>,
    block_sums<10, false>, block_sums<11, false>, block_sums<12, false>, block_sums<13, false>,
    block_sums<14, false>, block_sums<15, false>, block_sums<16, false>};

// The block-sum kernel for k: the AVX2 one where there is one, the CPU has
// AVX2 and the switches allow it, else the narrow one. The CPU is asked
// before the AVX2 table is read, so no AVX2 code is reached without it.
BlockSumsFn block_sums_kernel_for(uint32_t k, bool vector) {
  if (!vector) return kPlainBlockSums[k - 2];
  if (g_wide_block_sums.load(std::memory_order_relaxed) && cpu_has_avx2()) {
    if (const BlockSumsFn wide = kWideBlockSums[k - 2]) return wide;
  }
  return kNarrowBlockSums[k - 2];
}

// Composites one row of `count` destination pixels at dst (columns c0 on)
// from their block sums and means: four pixels at a time, those the simple
// rules cover in vector form and the rest one by one.
template <Order O, bool Vector>
void compose_block_row(const ReducedDraw& g, const uint16_t* sums, const uint8_t* means, uint8_t* dst,
                       size_t count, int64_t c0, int64_t r) {
#if defined(__SSE2__)
  if constexpr (!Vector) {
    for (size_t c = 0; c < count; ++c) compose_or_resample(g, c0 + int64_t(c), r, sums + c * 4);
    return;
  }
  const bool ties = g.math.ties;
  const uint32_t alpha_bits = 0xffu << kAlphaShift<O>;
  const uint32_t skip_bits = g.ctx->layout.skip ? alpha_bits : 0u;

  // Writes the pixels it can; returns a 16-bit mask with the four bytes of
  // each pixel it wrote set.
  auto group = [&](const uint16_t* s, const uint8_t* mn, uint8_t* d) __attribute__((always_inline)) {
    const __m128i skip = _mm_set1_epi32(int(skip_bits));
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mn));
    const __m128i mean = swizzle4<O>(raw);
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
    const __m128i opaque_bytes = _mm_packs_epi16(_mm_cmpeq_epi16(s01, full), _mm_cmpeq_epi16(s23, full));
    if (!ties && (_mm_movemask_epi8(opaque_bytes) & 0x8888) == 0x8888) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), mean);
      return 0xffff;
    }

    // Per-pixel conditions as whole 32-bit lanes.
    const __m128i opaque = _mm_srai_epi32(opaque_bytes, 24);
    const __m128i empty =
        _mm_cmpeq_epi32(_mm_packs_epi16(_mm_cmpeq_epi16(s01, zero), _mm_cmpeq_epi16(s23, zero)), ones);
    __m128i exact = ones;
    if (ties) {
      // (S + n/2) / n without remainder: S / n is a half.
      const __m128i half = _mm_set1_epi16(short(g.math.n / 2)), n = _mm_set1_epi16(short(g.math.n));
      const __m128i h01 =
          _mm_cmpeq_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(raw, zero), n), _mm_add_epi16(s01, half));
      const __m128i h23 =
          _mm_cmpeq_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(raw, zero), n), _mm_add_epi16(s23, half));
      exact = _mm_cmpeq_epi32(_mm_packs_epi16(h01, h23), zero);
    }
    const __m128i alpha_mask = _mm_set1_epi32(int(alpha_bits));
    const __m128i below_alpha = _mm_and_si128(below, alpha_mask);
    const __m128i clear_below = _mm_and_si128(
        _mm_cmpeq_epi32(_mm_andnot_si128(alpha_mask, below), zero),
        _mm_or_si128(_mm_cmpeq_epi32(below_alpha, zero), _mm_cmpeq_epi32(below_alpha, alpha_mask)));
    const __m128i use_mean = _mm_and_si128(_mm_or_si128(opaque, clear_below), exact);
    const __m128i keep_below = _mm_andnot_si128(use_mean, empty);
    const __m128i done = _mm_or_si128(use_mean, keep_below);
    const __m128i out = _mm_or_si128(_mm_or_si128(_mm_and_si128(use_mean, _mm_max_epu8(mean, below_alpha)),
                                                  _mm_and_si128(keep_below, below)),
                                     _mm_andnot_si128(done, orig));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), out);
    return _mm_movemask_epi8(done);
  };
  auto finish = [&](size_t c, size_t n4, int written) {
    if (written == 0xffff) return;
    for (size_t i = 0; i < n4; ++i) {
      if (!(written >> (4 * i) & 1)) compose_or_resample(g, c0 + int64_t(c + i), r, sums + (c + i) * 4);
    }
  };

  size_t c = 0;
  if (!ties) {
    // Nothing below in the whole row (as when sampling into a zeroed
    // buffer): the means are the result.
    const __m128i skip = _mm_set1_epi32(int(skip_bits));
    __m128i same = _mm_set1_epi32(-1);
    for (; c + 4 <= count; c += 4) {
      const __m128i below =
          _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + c * 4)), skip);
      same = _mm_and_si128(same, _mm_cmpeq_epi8(below, skip));
    }
    if (_mm_movemask_epi8(same) == 0xffff) {
      for (c = 0; c + 4 <= count; c += 4) {
        const __m128i mean = swizzle4<O>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(means + c * 4)));
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
  for (size_t c = 0; c < count; ++c) compose_or_resample(g, c0 + int64_t(c), r, sums + c * 4);
#endif
}

// compose_block_row for the destination's byte order.
template <bool Vector>
void compose_row(Order order, const ReducedDraw& g, const uint16_t* sums, const uint8_t* means, uint8_t* dst,
                 size_t count, int64_t c0, int64_t r) {
  switch (order) {
    case Order::RGBA: return compose_block_row<Order::RGBA, Vector>(g, sums, means, dst, count, c0, r);
    case Order::ARGB: return compose_block_row<Order::ARGB, Vector>(g, sums, means, dst, count, c0, r);
    case Order::BGRA: return compose_block_row<Order::BGRA, Vector>(g, sums, means, dst, count, c0, r);
    case Order::ABGR: return compose_block_row<Order::ABGR, Vector>(g, sums, means, dst, count, c0, r);
  }
}

}  // namespace

constinit const BlockSumsFn kNarrowBlockSums[15] = {
    block_sums<2, true>,  block_sums<3, true>,  block_sums<4, true>,  block_sums<5, true>,
    block_sums<6, true>,  block_sums<7, true>,  block_sums<8, true>,  block_sums<9, true>,
    block_sums<10, true>, block_sums<11, true>, block_sums<12, true>, block_sums<13, true>,
    block_sums<14, true>, block_sums<15, true>, block_sums<16, true>};

// The block factor k for an image drawn at a whole-pixel size w x h, or 0
// when the image is not exactly k times that size with 2 <= k <= 16.
uint32_t reduction_factor(const CGImage* image, double w, double h) {
  if (!(w >= 1 && h >= 1 && w == std::floor(w) && h == std::floor(h))) return 0;
  if (w > double(image->width) || h > double(image->height)) return 0;
  const auto bw = size_t(w), bh = size_t(h);
  const size_t k = image->width / bw;
  if (k < 2 || k > 16 || k * bw != image->width || k * bh != image->height) return 0;
  return uint32_t(k);
}

bool wide_block_sums_available() { return cpu_has_avx2() && kWideBlockSums[0] != nullptr; }

void draw_reduced(CGContext* ctx, const CGImage* image, Order order, uint32_t k, double left, double top,
                  double w, double h, int64_t c0, int64_t c1, int64_t r0, int64_t r1) {
  const ReducedDraw g{ctx, image, left, top, w, h, block_math_for(k)};
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

  const bool vector = vector_kernels_enabled();
  const BlockSumsFn block_sums = block_sums_kernel_for(k, vector);
  const size_t stride = image->width * 4;
  const auto x0 = int64_t(left), y0 = int64_t(top);
  for (int64_t r = r0; r < r1; ++r) {
    const uint8_t* src = image->rgba.data() + size_t(r - y0) * k * stride + size_t(c0 - x0) * k * 4;
    block_sums(src, stride, count, col, sums, means);
    uint8_t* dst = ctx->data + size_t(r) * ctx->bytes_per_row + size_t(c0) * 4;
    if (vector) {
      compose_row<true>(order, g, sums, means, dst, count, c0, r);
    } else {
      compose_row<false>(order, g, sums, means, dst, count, c0, r);
    }
  }
}

}  // namespace sim::graphics
