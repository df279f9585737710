// The guest's calloc and free: blocks carved from a fixed region of memory
// that the host and the emulated code share at the same addresses, so what
// the library allocates (its sampling buffer, weak cells, copied blocks) is
// readable and writable by both without copying. Best fit (the smallest
// free block that holds the request, the lowest address among equals),
// found in a size-ordered index, so that a heap of many small holes costs a
// logarithm per allocation rather than a walk over every hole; neighbours
// are merged on free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <utility>

namespace sim::emulation {

class GuestHeap {
 public:
  GuestHeap(uintptr_t base, size_t size);
  // Zero-filled, 16-byte aligned; 0 when the request cannot be met.
  uintptr_t allocate(size_t count, size_t size);
  // 0 does nothing; false for an address that is not a live block.
  bool release(uintptr_t address);
  size_t live_blocks() const { return used_.size(); }

 private:
  void add_free(uintptr_t at, size_t size);
  std::map<uintptr_t, size_t>::iterator remove_free(std::map<uintptr_t, size_t>::iterator it);

  std::map<uintptr_t, size_t> free_;                     // address -> size
  std::set<std::pair<size_t, uintptr_t>> free_by_size_;  // the same blocks, (size, address)
  std::map<uintptr_t, size_t> used_;
};

}  // namespace sim::emulation
