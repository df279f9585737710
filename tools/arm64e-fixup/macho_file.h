// A 64-bit arm64 Mach-O dylib as the post-link step reads it: its load
// commands, segments and sections, the dyld information in either of the
// two forms (classic rebase and bind opcodes as the linker writes them, or
// threaded fixups as the rewrite leaves them), and the code signature's
// CodeDirectory. Every offset and count is checked against the file before
// it is used; a malformed file is a Failure, never a read out of bounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/arm64e-fixup/threaded.h"

namespace arm64e {

constexpr uint32_t kCpuArm64 = 0x0100000C;
constexpr uint32_t kSubtypeArm64All = 0, kSubtypeArm64e = 2;

struct Section {
  std::string segment, name;
  uint64_t addr = 0, size = 0;
  uint32_t offset = 0, flags = 0;
  size_t header_offset = 0;  // where its section_64 record is in the file
};

struct Segment {
  std::string name;
  uint64_t vmaddr = 0, vmsize = 0, fileoff = 0, filesize = 0;
};

struct DyldInfo {
  size_t command_offset = 0;  // 0: the file has no LC_DYLD_INFO(_ONLY)
  uint32_t rebase_off = 0, rebase_size = 0, bind_off = 0, bind_size = 0, weak_bind_off = 0,
           weak_bind_size = 0, lazy_bind_off = 0, lazy_bind_size = 0, export_off = 0, export_size = 0;
};

// A bind as the classic opcodes give it.
struct ClassicBind {
  uint64_t address = 0;
  Import import;
  bool lazy = false;
};

struct MachFile {
  std::vector<uint8_t> bytes;
  uint32_t cpusubtype = 0;
  std::vector<Segment> segments;
  std::vector<Section> sections;
  std::vector<std::string> libraries;  // by ordinal - 1, as LC_LOAD_*DYLIB name them
  DyldInfo dyld_info;
  uint32_t signature_off = 0, signature_size = 0;
  uint32_t symoff = 0, nsyms = 0, stroff = 0, strsize = 0;

  // Reads the load commands of a thin arm64 dylib.
  static MachFile read(std::vector<uint8_t> bytes);

  const Section* section(const char* segment, const char* name) const;
  // The segment holding `address` and the file offset of the 8 bytes there.
  size_t segment_of(uint64_t address) const;
  size_t file_offset(uint64_t address, uint64_t size) const;
  uint64_t word(uint64_t address) const;
  void set_word(uint64_t address, uint64_t value);

  // The classic streams (the linker's output).
  std::vector<uint64_t> classic_rebases() const;
  std::vector<ClassicBind> classic_binds() const;  // binds and lazy binds
  // The threaded form: the ordinal table and every fixup on every chain.
  ThreadedBinds threaded_binds() const;
  std::vector<Fixup> threaded_fixups(const ThreadedBinds& binds) const;
  // The unslid addresses held in the initialiser tables.
  std::vector<uint64_t> initialiser_slots() const;
  // The short name of a library ordinal (libobjc, CoreFoundation, ...).
  std::string library_name(int ordinal) const;
};

}  // namespace arm64e
