#include "sim/emulation/untranslatable.h"

#include <cstring>

namespace sim::emulation {

bool aborts_the_translator(uint32_t word) {
  if ((word & 0x9f60c400u) != 0x0e400400u) return false;  // three same (FP16)
  const uint32_t opcode = (word >> 11) & 7, a = (word >> 23) & 1, u = (word >> 29) & 1;
  switch (opcode | a << 3 | u << 4) {
    case 0x05:
    case 0x0b:
    case 0x0c:
    case 0x0d:
    case 0x11:
    case 0x19:
    case 0x1b:
    case 0x1f: return true;
    default: return false;
  }
}

std::optional<uint64_t> first_untranslatable(const MachImage& image) {
  const std::string& file = *image.file;
  for (const MachSegment& seg : image.segments) {
    if (!(seg.initprot & 4)) continue;
    const uint64_t end = seg.fileoff + seg.filesize;  // inside the file: read_macho checked it
    for (uint64_t at = seg.fileoff; at + 4 <= end; at += 4) {
      uint32_t word;
      std::memcpy(&word, file.data() + at, 4);
      if (aborts_the_translator(word)) return at;
    }
  }
  return std::nullopt;
}

}  // namespace sim::emulation
