// The whole-block route's AVX2 kernels, for block factors 2 and 3 (the icon
// drawn at 2x or 3x and sampled at its point size). The build compiles this
// file alone with AVX2 enabled; draw_blocks.cpp picks these kernels from
// kWideBlockSums only after asking the CPU, so nothing here runs on a CPU
// without AVX2. Everything but that table has internal linkage, and only
// constants come from shared headers, so no AVX2 copy of a shared inline
// function can stand in for the ordinary one.
#include "sim/graphics/draw_block_math.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace sim::graphics {
namespace {

// The AVX2 kernels take eight destination pixels at a time and keep the
// channels apart without byte shuffles: a source register read as 16-bit
// lanes gives R and B in the low bytes (v & 0xff) and G and A in the high
// ones (v >> 8), so the sums down the rows are two registers of one 32-bit
// lane per pixel. Across, the K pixels of a block are added lane-wise after
// moving them into place, and the two halves are interleaved only at the end,
// on the block sums. The lanes are the same integer sums as block_sums<K>.
//
// The eight block sums arrive in the lane order [0 1 4 5 | 2 3 6 7], which
// makes the interleave give pixels 0-3 and 4-7 each in one register.

// Rounded means of sums in 16-bit lanes, as in block_sums<K>.
template <int K>
inline __m256i wide_mean(__m256i s) {
  constexpr Divider kDiv = kDividers[K - 2];
  const __m256i x = _mm256_add_epi16(s, _mm256_set1_epi16(short(K * K / 2)));
  if constexpr (kDiv.magic == 0x8000 && kDiv.post == 0)
    return _mm256_srli_epi16(x, kDiv.pre + 1);  // n = 2^(pre+1)
  return _mm256_srli_epi16(
      _mm256_mulhi_epu16(_mm256_srli_epi16(x, kDiv.pre), _mm256_set1_epi16(short(kDiv.magic))), kDiv.post);
}

template <int K>
inline void store_wide_block_sums(__m256i rb, __m256i ga, uint16_t* sums, uint8_t* means) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums), _mm256_unpacklo_epi16(rb, ga));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + 16), _mm256_unpackhi_epi16(rb, ga));
  // The means are at most 255: R | G << 8 and B | A << 8 are the bytes of a
  // pixel in R, G, B, A order; the 64-bit permute restores pixel order.
  const __m256i bytes = _mm256_or_si256(wide_mean<K>(rb), _mm256_slli_epi16(wide_mean<K>(ga), 8));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(means), _mm256_permute4x64_epi64(bytes, 0xD8));
}

// Sums down K rows of N registers of source bytes at p: the low bytes of each
// 16-bit lane into rb[i], the high bytes into ga[i] (at most 255 K each).
template <int K, int N>
inline void wide_down(const uint8_t* p, size_t stride, __m256i (&rb)[N], __m256i (&ga)[N]) {
  const __m256i low = _mm256_set1_epi16(0xff);
#pragma GCC unroll 4
  for (int i = 0; i < N; ++i) rb[i] = ga[i] = _mm256_setzero_si256();
#pragma GCC unroll 16
  for (int j = 0; j < K; ++j) {
#pragma GCC unroll 4
    for (int i = 0; i < N; ++i) {
      const __m256i v =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + size_t(j) * stride + size_t(i) * 32));
      rb[i] = _mm256_add_epi16(rb[i], _mm256_and_si256(v, low));
      ga[i] = _mm256_add_epi16(ga[i], _mm256_srli_epi16(v, 8));
    }
  }
}

// K = 2: pixel pairs of the two registers of sums, added in-lane, come out
// as blocks [0 1 4 5 | 2 3 6 7].
inline __m256i wide_across2(__m256i a, __m256i b) {
  const __m256 fa = _mm256_castsi256_ps(a), fb = _mm256_castsi256_ps(b);
  return _mm256_add_epi16(_mm256_castps_si256(_mm256_shuffle_ps(fa, fb, 0x88)),
                          _mm256_castps_si256(_mm256_shuffle_ps(fa, fb, 0xDD)));
}

// Odd K: block d of the eight covers source pixels K d to K d + K - 1, pixel
// i being lane i % 8 of register i / 8. Its t-th pixels, K d + t for the
// eight d, lie in distinct lanes since K and 8 are coprime, so blends gather
// them into one register and one lane permute puts them in output order.
template <int K>
constexpr int wide_blend_mask(int t, int reg) {
  int mask = 0;
  for (int d = 0; d < 8; ++d) {
    if ((K * d + t) / 8 == reg) mask |= 1 << ((K * d + t) % 8);
  }
  return mask;
}

template <int K, int T, int R = 1>
inline __m256i wide_gather(const __m256i (&r)[K], __m256i b) {
  if constexpr (R == K) {
    return b;
  } else {
    // A named constant, so the mask is an immediate even without optimisation.
    constexpr int kMask = wide_blend_mask<K>(T, R);
    return wide_gather<K, T, R + 1>(r, _mm256_blend_epi32(b, r[R], kMask));
  }
}

template <int K, int T = 0>
inline __m256i wide_across_odd(const __m256i (&r)[K]) {
  static_assert(K % 2 == 1);
  constexpr int kOrder[8] = {0, 1, 4, 5, 2, 3, 6, 7};
  const __m256i idx = _mm256_setr_epi32(
      (K * kOrder[0] + T) % 8, (K * kOrder[1] + T) % 8, (K * kOrder[2] + T) % 8, (K * kOrder[3] + T) % 8,
      (K * kOrder[4] + T) % 8, (K * kOrder[5] + T) % 8, (K * kOrder[6] + T) % 8, (K * kOrder[7] + T) % 8);
  const __m256i term = _mm256_permutevar8x32_epi32(wide_gather<K, T>(r, r[0]), idx);
  if constexpr (T + 1 == K) {
    return term;
  } else {
    return _mm256_add_epi16(term, wide_across_odd<K, T + 1>(r));
  }
}

// block_sums<K> for K = 2 and 3, eight destination pixels at a time; the
// last one to seven by the narrow kernel.
template <int K>
void block_sums_avx2(const uint8_t* src, size_t stride, size_t count, uint16_t* col, uint16_t* sums,
                     uint8_t* means) {
  static_assert(K == 2 || K == 3);
  size_t c = 0;
  for (; c + 8 <= count; c += 8) {
    __m256i rb[K], ga[K];  // 8 K source pixels, eight to a register
    wide_down<K, K>(src + c * K * 4, stride, rb, ga);
    if constexpr (K == 2) {
      store_wide_block_sums<K>(wide_across2(rb[0], rb[1]), wide_across2(ga[0], ga[1]), sums + c * 4,
                               means + c * 4);
    } else {
      store_wide_block_sums<K>(wide_across_odd<K>(rb), wide_across_odd<K>(ga), sums + c * 4, means + c * 4);
    }
  }
  if (c < count) {
    // Clean upper halves before the SSE code (the compiler may make this a
    // tail call without one).
    _mm256_zeroupper();
    kNarrowBlockSums[K - 2](src + c * K * 4, stride, count - c, col, sums + c * 4, means + c * 4);
  }
}

}  // namespace

constinit const BlockSumsFn kWideBlockSums[15] = {block_sums_avx2<2>, block_sums_avx2<3>};

}  // namespace sim::graphics

#else

namespace sim::graphics {
constinit const BlockSumsFn kWideBlockSums[15] = {};
}  // namespace sim::graphics

#endif
