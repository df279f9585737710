#include "sim/emulation/guest_memory.h"

#include <algorithm>
#include <cstring>

namespace sim::emulation {

void GuestMemory::add(uint64_t begin, uint64_t end, uint8_t access) {
  if (begin >= end) return;
  auto at = std::lower_bound(ranges_.begin(), ranges_.end(), begin,
                             [](const Range& r, uint64_t b) { return r.begin < b; });
  at = ranges_.insert(at, Range{begin, end, access});
  // Merge with the neighbours that touch it and allow the same.
  if (at + 1 != ranges_.end() && at->end == (at + 1)->begin && at->access == (at + 1)->access) {
    at->end = (at + 1)->end;
    ranges_.erase(at + 1);
  }
  if (at != ranges_.begin() && (at - 1)->end == at->begin && (at - 1)->access == at->access) {
    (at - 1)->end = at->end;
    ranges_.erase(at);
  }
}

const GuestMemory::Range* GuestMemory::find(uint64_t address) const {
  auto it = std::upper_bound(ranges_.begin(), ranges_.end(), address,
                             [](uint64_t a, const Range& r) { return a < r.begin; });
  if (it == ranges_.begin()) return nullptr;
  --it;
  return address < it->end ? &*it : nullptr;
}

bool GuestMemory::allows(uint64_t address, uint64_t size, uint8_t access) const {
  const Range* r = find(address);
  return r && (r->access & access) == access && size <= r->end - address;
}

std::optional<size_t> GuestMemory::string_length(uint64_t address, size_t limit) const {
  const Range* r = find(address);
  if (!r || !(r->access & kGuestRead)) return std::nullopt;
  const size_t span = static_cast<size_t>(std::min<uint64_t>(r->end - address, limit));
  const void* nul = std::memchr(reinterpret_cast<const void*>(address), 0, span);
  if (!nul) return std::nullopt;
  return static_cast<size_t>(static_cast<const char*>(nul) - reinterpret_cast<const char*>(address));
}

}  // namespace sim::emulation
