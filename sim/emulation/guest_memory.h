// The guest's address space as the host sees it: the ranges the library may
// read, write or run, and nothing else. The host asks it before it reads or
// writes guest memory on the guest's behalf (a string, a buffer, a result
// slot, a block), so that no value the guest hands over makes the host touch
// memory outside the guest's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace sim::emulation {

enum GuestAccess : uint8_t { kGuestRead = 1, kGuestWrite = 2, kGuestExecute = 4 };

class GuestMemory {
 public:
  struct Range {
    uint64_t begin, end;
    uint8_t access;
  };
  // Ranges may come in any order but must not overlap; neighbours with the
  // same access become one range.
  void add(uint64_t begin, uint64_t end, uint8_t access);
  const std::vector<Range>& ranges() const { return ranges_; }

  // Whether [address, address + size) lies wholly inside one range that
  // allows every access in `access`.
  bool allows(uint64_t address, uint64_t size, uint8_t access) const;
  // Whether the address lies in any range at all.
  bool contains(uint64_t address) const { return find(address) != nullptr; }
  // The length of the NUL-terminated string at `address` when it ends inside
  // readable memory within `limit` bytes; nothing otherwise.
  std::optional<size_t> string_length(uint64_t address, size_t limit) const;

 private:
  const Range* find(uint64_t address) const;
  std::vector<Range> ranges_;  // sorted by begin
};

}  // namespace sim::emulation
