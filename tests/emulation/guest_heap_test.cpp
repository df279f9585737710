// The guest's heap: blocks are zeroed and aligned, holes are reused by the
// smallest that fits, neighbours merge on free, and what is not a live block
// is refused.
#include "sim/emulation/guest_heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using sim::emulation::GuestHeap;

namespace {

// Host memory standing in for the guest's heap region.
struct Region {
  explicit Region(size_t size) : bytes(size, 0xAB) {}
  uintptr_t base() { return reinterpret_cast<uintptr_t>(bytes.data()); }
  size_t size() const { return bytes.size(); }
  std::vector<unsigned char> bytes;
};

TEST(GuestHeap, ReusesTheSmallestHoleAndMergesNeighbours) {
  Region r(1 << 20);
  GuestHeap heap(r.base(), r.size());
  // Many small holes between live blocks, then one larger hole.
  std::vector<uintptr_t> blocks;
  for (int i = 0; i < 2000; ++i) blocks.push_back(heap.allocate(1, 16));
  const uintptr_t big = heap.allocate(1, 64);
  const uintptr_t after_big = heap.allocate(1, 16);
  for (size_t i = 0; i < blocks.size(); i += 2) ASSERT_TRUE(heap.release(blocks[i]));
  ASSERT_TRUE(heap.release(big));
  // A 64-byte request takes the 64-byte hole, not fresh memory beyond.
  const uintptr_t again = heap.allocate(4, 16);
  EXPECT_EQ(again, big);
  EXPECT_EQ(again % 16, 0u);
  for (size_t k = 0; k < 64; ++k) EXPECT_EQ(reinterpret_cast<unsigned char*>(again)[k], 0) << k;
  // A 16-byte request takes one of the small holes.
  EXPECT_LT(heap.allocate(1, 1), big);
  // Freeing everything merges the region back into one block that holds
  // nearly all of it again.
  ASSERT_TRUE(heap.release(again));
  ASSERT_TRUE(heap.release(after_big));
  for (size_t i = 1; i < blocks.size(); i += 2) ASSERT_TRUE(heap.release(blocks[i]));
  EXPECT_EQ(heap.live_blocks(), 1u);  // the small request above
  EXPECT_NE(heap.allocate(1, r.size() - 64), 0u);
}

TEST(GuestHeap, RefusesWhatIsNotALiveBlockAndWhatCannotFit) {
  Region r(4096);
  GuestHeap heap(r.base(), r.size());
  const uintptr_t a = heap.allocate(2, 8);
  EXPECT_TRUE(heap.release(0));
  EXPECT_FALSE(heap.release(a + 16));  // not a block's start
  EXPECT_TRUE(heap.release(a));
  EXPECT_FALSE(heap.release(a));  // already free
  EXPECT_EQ(heap.allocate(SIZE_MAX / 2, 4), 0u);
  EXPECT_EQ(heap.allocate(1, r.size() + 1), 0u);
}

}  // namespace
