#include "sim/emulation/guest_heap.h"

#include <cstring>
#include <iterator>

namespace sim::emulation {

GuestHeap::GuestHeap(uintptr_t base, size_t size) {
  const uintptr_t start = (base + 15) & ~uintptr_t{15};
  if (size > start - base) {
    const size_t usable = (size - (start - base)) & ~size_t{15};
    if (usable) add_free(start, usable);
  }
}

void GuestHeap::add_free(uintptr_t at, size_t size) {
  free_[at] = size;
  free_by_size_.emplace(size, at);
}

std::map<uintptr_t, size_t>::iterator GuestHeap::remove_free(std::map<uintptr_t, size_t>::iterator it) {
  free_by_size_.erase({it->second, it->first});
  return free_.erase(it);
}

uintptr_t GuestHeap::allocate(size_t count, size_t size) {
  if (size && count > SIZE_MAX / size) return 0;
  size_t bytes = count * size;
  if (bytes == 0) bytes = 1;
  if (bytes > SIZE_MAX - 15) return 0;
  bytes = (bytes + 15) & ~size_t{15};
  const auto fit = free_by_size_.lower_bound({bytes, 0});
  if (fit == free_by_size_.end()) return 0;
  const uintptr_t at = fit->second;
  const size_t rest = fit->first - bytes;
  remove_free(free_.find(at));
  if (rest) add_free(at + bytes, rest);
  used_[at] = bytes;
  std::memset(reinterpret_cast<void*>(at), 0, bytes);
  return at;
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
    next = remove_free(next);
  }
  if (next != free_.begin()) {
    auto prev = std::prev(next);
    if (prev->first + prev->second == at) {
      at = prev->first;
      size += prev->second;
      remove_free(prev);
    }
  }
  add_free(at, size);
  return true;
}

}  // namespace sim::emulation
