// The arithmetic the whole-block route's kernels share, plain and AVX2: the
// compile-time dividers that turn block sums into rounded means, and the
// kernel tables. Internal to sim/graphics.
//
// This header is also compiled into draw_blocks_avx2.cpp, which is built
// with AVX2 enabled for the whole file. So it holds only constants and
// declarations: an inline function defined here could be emitted by that
// file with AVX2 instructions and chosen by the linker for every caller,
// including on CPUs without AVX2.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace sim::graphics {

// Rounded means of block sums in 16-bit lanes: (S + n/2) / n as
// ((x >> pre) x magic) >> (16 + post) for x = S + n/2 <= 255n + n/2. The
// parameters are searched, and checked for every such x, at compile time.
struct Divider {
  int pre = 0;
  uint16_t magic = 0;
  int post = 0;
};

constexpr Divider find_divider(uint32_t n) {
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
constexpr std::array<Divider, sizeof...(K)> divider_table(std::integer_sequence<uint32_t, K...>) {
  return {find_divider((K + 2) * (K + 2))...};
}

// The divider for k at index k - 2.
constexpr auto kDividers = divider_table(std::make_integer_sequence<uint32_t, 15>());

// Block sums and rounded means for `count` destination pixels whose blocks
// start at src, src + 4K, ... (source rows `stride` bytes apart): four 16-bit
// sums per destination pixel into sums and four mean bytes into means, both
// R, G, B, A. col is scratch of count x K x 4 lanes.
using BlockSumsFn = void (*)(const uint8_t* src, size_t stride, size_t count, uint16_t* col, uint16_t* sums,
                             uint8_t* means);

// The kernel for k at index k - 2: SSE2 where available (plain when the
// vector kernels are switched off) for every k (draw_blocks.cpp) ...
extern const BlockSumsFn kNarrowBlockSums[15];
// ... and AVX2 for the k that have one, else null (draw_blocks_avx2.cpp;
// all null where that file is not built for AVX2). Data rather than
// functions, so that choosing a kernel runs no AVX2 code.
extern const BlockSumsFn kWideBlockSums[15];

}  // namespace sim::graphics
