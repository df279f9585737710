// The arm64e slice's fixups: threaded words in place, reached from a bind
// stream that opens with BIND_OPCODE_THREADED (an ordinal table of imports,
// then a chain start per page). The format is dyld's for arm64e on iOS 13
// and 14; the words are laid out in tools/arm64e-fixup/threaded.h. This is
// the emulation's own reading of it, kept apart from the tool that writes
// it so that each checks the other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim::emulation {

struct MachImage;

enum class PacKey : uint8_t { IA = 0, IB = 1, DA = 2, DB = 3 };

struct ThreadedFixup {
  uint64_t address = 0;  // unslid
  bool bind = false;
  uint64_t target = 0;  // rebase: the unslid address it points to
  uint32_t import = 0;  // bind: index into the ordinal table (MachImage::binds)
  int64_t addend = 0;   // plain bind
  bool auth = false;    // dyld signs the value
  PacKey key = PacKey::IA;
  bool address_diversity = false;
  uint16_t diversity = 0;
};

// Whether a bind stream is a threaded one.
bool is_threaded_bind_stream(const std::string& bytes, uint64_t off, uint64_t size);

// Reads the ordinal table into `image.binds` (one entry per import, address
// 0) and every chain into `image.threaded`, walking the words in the file.
// Refuses, with `error` set, anything outside the segments, chains that
// meet, and binds beyond the table.
bool read_threaded_fixups(const std::string& bytes, uint64_t off, uint64_t size,
                          const std::vector<std::string_view>& libraries, MachImage& image,
                          std::string& error);

// The discriminator dyld signs a slot with.
uint64_t fixup_discriminator(const ThreadedFixup& f, uint64_t slot);

}  // namespace sim::emulation
