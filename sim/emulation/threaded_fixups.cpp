#include "sim/emulation/threaded_fixups.h"

#include <cstring>
#include <set>

#include "sim/emulation/macho.h"
#include "sim/emulation/opcode_stream.h"

namespace sim::emulation {
namespace {

constexpr size_t kMaxFixups = 1 << 20;
constexpr size_t kMaxImports = 1 << 16;

}  // namespace

bool is_threaded_bind_stream(const std::string& b, uint64_t off, uint64_t size) {
  return size > 0 && off < b.size() && static_cast<uint8_t>(b[off]) == 0xd0;
}

bool read_threaded_fixups(const std::string& b, uint64_t off, uint64_t size,
                          const std::vector<std::string_view>& libraries, MachImage& im, std::string& error) {
  OpcodeStream s{b, off, off + size};
  struct Start {
    uint64_t segment, offset;
  };
  std::vector<Start> starts;
  uint64_t table = 0, segment = 0, offset = 0;
  int64_t ordinal = 0, addend = 0;
  bool weak = false, done = false;
  std::string_view symbol;  // into the file's bytes, as every bind's name
  while (!done && !s.bad && s.at < s.end) {
    const uint8_t c = s.byte(), imm = c & 0x0f;
    switch (c & 0xf0) {
      case 0x00: done = true; break;
      case 0x10: ordinal = imm; break;
      case 0x20: ordinal = static_cast<int64_t>(s.uleb()); break;
      case 0x30: ordinal = imm ? static_cast<int8_t>(0xf0 | imm) : 0; break;
      case 0x40:
        weak = imm & 1;
        symbol = s.cstring();
        break;
      case 0x50: break;  // pointers only
      case 0x60: addend = s.sleb(); break;
      case 0x70:
        segment = imm;
        offset = s.uleb();
        break;
      case 0x90:
        if (im.binds.size() >= table) {
          error = "more imports than the ordinal table holds";
          return false;
        }
        if (ordinal < 1 || static_cast<uint64_t>(ordinal) > libraries.size()) {
          error = "an import of " + std::string(symbol) + " from no library (ordinal " +
                  std::to_string(ordinal) + ")";
          return false;
        }
        im.binds.push_back({0, symbol, libraries[ordinal - 1], weak, addend});
        break;
      case 0xd0:
        if (imm == 0) {
          table = s.uleb();
          if (table > kMaxImports) {
            error = "an ordinal table beyond 65536 imports";
            return false;
          }
        } else if (imm == 1) {
          if (starts.size() >= kMaxFixups) {
            error = "too many fixup chains";
            return false;
          }
          starts.push_back({segment, offset});
        } else {
          error = "an unknown threaded bind opcode";
          return false;
        }
        break;
      default: error = "a bind opcode that a threaded stream does not use"; return false;
    }
  }
  if (s.bad || !done) {
    error = "a truncated bind stream";
    return false;
  }

  std::set<uint64_t> seen;
  for (const Start& st : starts) {
    if (st.segment >= im.segments.size()) {
      error = "a fixup chain in a segment the library does not have";
      return false;
    }
    const MachSegment& seg = im.segments[st.segment];
    for (uint64_t o = st.offset;;) {
      if (o % 8 || o >= seg.filesize || seg.filesize - o < 8) {
        error = "a fixup chain that leaves its segment";
        return false;
      }
      if (!seen.insert(seg.vmaddr + o).second || im.threaded.size() >= kMaxFixups) {
        error = "fixup chains that meet";
        return false;
      }
      uint64_t w;
      std::memcpy(&w, b.data() + seg.fileoff + o, 8);
      ThreadedFixup f;
      f.address = seg.vmaddr + o;
      f.auth = w >> 63;
      f.bind = (w >> 62) & 1;
      if (f.auth) {
        f.diversity = static_cast<uint16_t>(w >> 32);
        f.address_diversity = (w >> 48) & 1;
        f.key = static_cast<PacKey>((w >> 49) & 3);
      }
      if (f.bind) {
        f.import = static_cast<uint32_t>(w & 0xffff);
        if (f.import >= im.binds.size()) {
          error = "a bind beyond the ordinal table";
          return false;
        }
        if (!f.auth) {
          const int64_t a = static_cast<int64_t>((w >> 32) & 0x7ffff);
          f.addend = a & 0x40000 ? a - 0x80000 : a;
        }
      } else {
        f.target = f.auth ? w & 0xffffffff : (((w >> 43) & 0xff) << 56) | (w & 0x7ffffffffffull);
      }
      im.threaded.push_back(f);
      const uint64_t next = (w >> 51) & 0x7ff;
      if (!next) break;
      o += next * 8;
    }
  }
  return true;
}

uint64_t fixup_discriminator(const ThreadedFixup& f, uint64_t slot) {
  if (!f.address_diversity) return f.diversity;
  return (slot & 0xffffffffffffull) | uint64_t{f.diversity} << 48;
}

}  // namespace sim::emulation
