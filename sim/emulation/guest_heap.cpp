#include "sim/emulation/guest_heap.h"

#include <cstring>

namespace sim::emulation {

GuestHeap::GuestHeap(uintptr_t base, size_t size) {
  const uintptr_t start = (base + 15) & ~uintptr_t{15};
  if (size > start - base) free_[start] = (size - (start - base)) & ~size_t{15};
}

uintptr_t GuestHeap::allocate(size_t count, size_t size) {
  if (size && count > SIZE_MAX / size) return 0;
  size_t bytes = count * size;
  if (bytes == 0) bytes = 1;
  if (bytes > SIZE_MAX - 15) return 0;
  bytes = (bytes + 15) & ~size_t{15};
  for (auto it = free_.begin(); it != free_.end(); ++it) {
    if (it->second < bytes) continue;
    const uintptr_t at = it->first;
    const size_t rest = it->second - bytes;
    free_.erase(it);
    if (rest) free_[at + bytes] = rest;
    used_[at] = bytes;
    std::memset(reinterpret_cast<void*>(at), 0, bytes);
    return at;
  }
  return 0;
}

bool GuestHeap::release(uintptr_t address) {
  if (!address) return true;
  auto it = used_.find(address);
  if (it == used_.end()) return false;
  uintptr_t at = it->first;
  size_t size = it->second;
  used_.erase(it);
  auto next = free_.lower_bound(at);
  if (next != free_.end() && next->first == at + size) {
    size += next->second;
    next = free_.erase(next);
  }
  if (next != free_.begin()) {
    auto prev = std::prev(next);
    if (prev->first + prev->second == at) {
      prev->second += size;
      return true;
    }
  }
  free_[at] = size;
  return true;
}

}  // namespace sim::emulation
