// What the emulation needs of an arm64 Mach-O dylib, read from its bytes and
// checked against them before anything is mapped: the segments, the dyld
// information (rebases, binds, lazy binds), the libraries that binds name by
// ordinal, the initialisers, and the symbol table (to name a faulting
// function).
//
// Every table costs at most a small multiple of the file's size, whatever
// counts the file claims: segments may not overlap (in memory or in the
// file), every fixup is an aligned word inside its segment, and there are no
// more fixups or initialisers than the file has words. Names are views into
// the file's bytes, which the image keeps, never copies per use.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/emulation/threaded_fixups.h"

namespace sim::emulation {

struct MachSegment {
  std::string name;
  uint64_t vmaddr = 0, vmsize = 0, fileoff = 0, filesize = 0;
  uint32_t initprot = 0;  // VM_PROT_READ 1, WRITE 2, EXECUTE 4
};

// The names below point into MachImage::file: valid while an image that
// shares those bytes lives.
struct MachBind {
  uint64_t address = 0;      // unslid, 8-byte aligned, inside its segment
  std::string_view symbol;   // as written, with its leading underscore
  std::string_view library;  // the short name of the library (libobjc, CoreGraphics, ...)
  bool weak_import = false;
  int64_t addend = 0;
};

struct MachSymbol {
  uint64_t address = 0;  // unslid
  std::string_view name;
};

struct MachImage {
  std::shared_ptr<const std::string> file;  // the bytes read
  std::vector<MachSegment> segments;
  std::vector<uint64_t> rebases;        // unslid addresses of pointers to slide
  std::vector<MachBind> binds;          // binds and lazy binds alike
  std::vector<uint64_t> init_pointers;  // unslid addresses of the initialiser table entries
  std::vector<MachSymbol> functions;    // defined symbols, sorted by address
  uint64_t vm_end = 0;                  // end of the highest segment
  uint32_t cpusubtype = 0;              // kCpuSubtypeArm64e for the A12's slice
  // arm64e: the fixups, threaded; `binds` then holds the ordinal table.
  std::vector<ThreadedFixup> threaded;
};

constexpr uint32_t kCpuSubtypeArm64e = 2;
// The top byte of the subtype holds capability bits (the arm64e ABI version).
inline bool is_arm64e(const MachImage& image) { return (image.cpusubtype & 0x00ffffff) == kCpuSubtypeArm64e; }

// "0x1f00": an address or offset as messages print it.
std::string hex(uint64_t v);

// Whether the bytes start like a 64-bit arm64 Mach-O file.
bool looks_like_arm64_macho(const std::string& bytes);

// Reads a dylib, keeping its bytes in the image; on failure returns nothing
// and sets `error`. Never throws: running out of memory is an error too.
std::optional<MachImage> read_macho(std::string bytes, std::string& error);

// The function whose code holds `address` (unslid), or "".
std::string function_at(const MachImage& image, uint64_t address);

}  // namespace sim::emulation
