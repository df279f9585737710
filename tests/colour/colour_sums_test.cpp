// The library's byte summation (sum_colour_bytes, compiled into this test
// from its own source) against a plain loop over seeded random buffers:
// every length from none to a few vector steps past each boundary, every
// start alignment, and runs long enough to fold the 16-bit lanes many times
// with every byte at its largest.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "colour/sampling.h"

namespace {

void plain_sums(const uint8_t* data, uint64_t groups, uint64_t sums[3]) {
  for (uint64_t i = 0; i < groups; ++i) {
    for (int k = 0; k < 3; ++k) sums[k] += data[i * 4 + uint64_t(k)];
  }
}

void expect_same_sums(const uint8_t* data, uint64_t groups) {
  // The sums are added to, not overwritten: start them somewhere.
  uint64_t want[3] = {7, 11, 13}, got[3] = {7, 11, 13};
  plain_sums(data, groups, want);
  corvane::colour::sum_colour_bytes(data, groups, got);
  for (int k = 0; k < 3; ++k) ASSERT_EQ(got[k], want[k]) << groups << " groups, channel " << k;
}

TEST(ColourSums, MatchPlainLoopForEveryLengthAndAlignment) {
  std::mt19937 rng(4321);
  std::vector<uint8_t> bytes(4 * 300 + 16);
  for (uint8_t& b : bytes) b = uint8_t(rng());
  for (size_t offset = 0; offset < 16; ++offset) {
    for (uint64_t groups = 0; groups <= 300; ++groups) expect_same_sums(bytes.data() + offset, groups);
  }
}

TEST(ColourSums, MatchPlainLoopAcrossLaneFolds) {
  std::mt19937 rng(8765);
  // 8 groups a step and 256 steps a fold: lengths around one and several
  // folds, all bytes 255 (the largest lane totals) and random.
  for (uint64_t groups : {2047u, 2048u, 2049u, 2056u, 4096u + 5u, 3u * 2048u + 8u, 100000u}) {
    std::vector<uint8_t> full(groups * 4 + 1, 255);
    expect_same_sums(full.data() + 1, groups);
    std::vector<uint8_t> random(groups * 4);
    for (uint8_t& b : random) b = uint8_t(rng());
    expect_same_sums(random.data(), groups);
  }
}

}  // namespace
