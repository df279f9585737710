#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace sim::emulation {

// A cursor over one of dyld's opcode streams (rebase, bind, threaded bind):
// bytes, ULEB128 and SLEB128 numbers and names, every read bounded by the
// stream's end; a read past it or an overlong number marks the stream bad.
struct OpcodeStream {
  const std::string& b;
  uint64_t at, end;
  bool bad = false;
  bool more() const { return at < end; }
  uint8_t byte() {
    if (at >= end) {
      bad = true;
      return 0;
    }
    return static_cast<uint8_t>(b[at++]);
  }
  uint64_t uleb() {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      uint8_t c = byte();
      if (bad || shift > 63) {
        bad = true;
        return 0;
      }
      v |= static_cast<uint64_t>(c & 0x7f) << shift;
      if (!(c & 0x80)) return v;
    }
  }
  // Worked in unsigned arithmetic: a 63-bit shift's sign extension would
  // overflow a signed negation.
  int64_t sleb() {
    uint64_t v = 0;
    int shift = 0;
    uint8_t c = 0;
    do {
      c = byte();
      if (bad || shift > 63) {
        bad = true;
        return 0;
      }
      v |= static_cast<uint64_t>(c & 0x7f) << shift;
      shift += 7;
    } while (c & 0x80);
    if (shift < 64 && (c & 0x40)) v |= ~uint64_t{0} << shift;
    return static_cast<int64_t>(v);
  }
  // A NUL-terminated string in the stream, as a view of it.
  std::string_view cstring() {
    const void* nul = at < end ? std::memchr(b.data() + at, 0, end - at) : nullptr;
    if (!nul) {
      bad = true;
      return {};
    }
    const std::string_view s(b.data() + at,
                             static_cast<size_t>(static_cast<const char*>(nul) - (b.data() + at)));
    at += s.size() + 1;
    return s;
  }
};

}  // namespace sim::emulation
