// The Mach-O reader against crafted dylibs: whatever the file claims, what
// it costs stays within its size, segments neither overlap nor leave the
// file, and every fixup is an aligned word inside its segment.
#include "sim/emulation/macho.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/emulation/emulated_library.h"
#include "sim/emulation/untranslatable.h"
#include "support/sim_fixture.h"

using namespace sim::emulation;

namespace {

struct Section {
  uint64_t addr, size;
  uint32_t flags;
};

struct Segment {
  const char* name;
  uint64_t vmaddr, vmsize, fileoff, filesize;
  std::vector<Section> sections;
};

// A dylib of three segments and one library; the dyld streams lie in
// __LINKEDIT from 0x2000 on.
struct Dylib {
  std::vector<Segment> segments = {{"__TEXT", 0, 0x1000, 0, 0x1000, {}},
                                   {"__DATA", 0x1000, 0x1000, 0x1000, 0x1000, {}},
                                   {"__LINKEDIT", 0x2000, 0x2000, 0x2000, 0x2000, {}}};
  std::string rebases, binds, strings;                 // strings: the symbol table's string table
  std::vector<std::pair<uint32_t, uint64_t>> symbols;  // (string offset, address) of defined functions
  size_t size = 0x4000;

  std::string bytes() const {
    std::string cmds;
    auto put = [](std::string& s, auto v) { s.append(reinterpret_cast<const char*>(&v), sizeof v); };
    uint32_t ncmds = 0;
    for (const Segment& g : segments) {
      put(cmds, uint32_t{0x19});
      put(cmds, static_cast<uint32_t>(72 + 80 * g.sections.size()));
      const std::string name(g.name);
      cmds += name + std::string(16 - name.size(), '\0');
      for (uint64_t v : {g.vmaddr, g.vmsize, g.fileoff, g.filesize}) put(cmds, v);
      for (uint32_t v : {7u, 3u, static_cast<uint32_t>(g.sections.size()), 0u}) put(cmds, v);
      for (const Section& s : g.sections) {
        cmds.append(32, '\0');  // section and segment names
        for (uint64_t v : {s.addr, s.size}) put(cmds, v);
        for (uint32_t v : {0u, 3u, 0u, 0u, s.flags, 0u, 0u, 0u}) put(cmds, v);
      }
      ++ncmds;
    }
    const uint32_t rebase_at = 0x2000, bind_at = rebase_at + static_cast<uint32_t>(rebases.size());
    const uint32_t sym_at = bind_at + static_cast<uint32_t>(binds.size());
    const uint32_t str_at = sym_at + static_cast<uint32_t>(symbols.size() * 16);
    for (uint32_t v : {0x80000022u, 48u, rebase_at, static_cast<uint32_t>(rebases.size()), bind_at,
                       static_cast<uint32_t>(binds.size()), 0u, 0u, 0u, 0u, 0u, 0u})
      put(cmds, v);
    for (uint32_t v : {0x2u, 24u, sym_at, static_cast<uint32_t>(symbols.size()), str_at,
                       static_cast<uint32_t>(strings.size())})
      put(cmds, v);
    const std::string library = "/usr/lib/libobjc.A.dylib";
    for (uint32_t v : {0xcu, 48u, 24u, 0u, 0u, 0u}) put(cmds, v);
    cmds += library + std::string(24 - library.size(), '\0');
    ncmds += 3;

    std::string b;
    for (uint32_t v : {0xfeedfacfu, 0x0100000cu, 0u, 6u, ncmds, static_cast<uint32_t>(cmds.size()), 0u, 0u})
      put(b, v);
    b += cmds;
    b.resize(rebase_at, '\0');
    b += rebases + binds;
    for (const auto& [strx, address] : symbols) {
      put(b, strx);
      put(b, uint32_t{0x0f});  // a defined external symbol in section 0
      put(b, address);
    }
    b += strings;
    if (b.size() < size) b.resize(size, '\0');
    return b;
  }
};

std::string uleb(uint64_t v) {
  std::string s;
  do {
    uint8_t c = v & 0x7f;
    v >>= 7;
    s += static_cast<char>(c | (v ? 0x80 : 0));
  } while (v);
  return s;
}

// Opcodes: the segment is always __DATA (1).
std::string rebase_at(uint64_t off, uint64_t times = 1) { return "\x21" + uleb(off) + "\x60" + uleb(times); }
std::string bind_at(uint64_t off, const std::string& symbol = "_objc_msgSend", uint64_t times = 1) {
  return "\x11" + std::string("\x40") + symbol + '\0' + "\x71" + uleb(off) + "\xc0" + uleb(times) + uleb(0);
}

TEST(MachO, ReadsSegmentsFixupsAndNamesAsViewsOfTheFile) {
  Dylib d;
  d.rebases = rebase_at(8);
  d.binds = bind_at(0x10, "_calloc", 3);
  d.strings = std::string("\0_main\0", 7);
  d.symbols = {{1, 0x40}, {2, 0x80}};  // "_main" and its tail "main"
  std::string error;
  auto im = read_macho(d.bytes(), error);
  ASSERT_TRUE(im) << error;
  ASSERT_EQ(im->segments.size(), 3u);
  EXPECT_EQ(im->segments[1].name, "__DATA");
  EXPECT_EQ(im->rebases, std::vector<uint64_t>{0x1008});
  ASSERT_EQ(im->binds.size(), 3u);
  const char* file = im->file->data();
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(im->binds[i].address, 0x1010 + 8 * i);
    EXPECT_EQ(im->binds[i].symbol, "_calloc");
    EXPECT_EQ(im->binds[i].library, "libobjc");
    EXPECT_TRUE(im->binds[i].symbol.data() > file && im->binds[i].symbol.data() < file + im->file->size());
  }
  EXPECT_EQ(function_at(*im, 0x50), "_main");
  EXPECT_EQ(function_at(*im, 0x90), "main");
}

// An addend whose sign lands on bit 63 (nine bytes of SLEB128).
TEST(MachO, ReadsAnAddendSignExtendedFromBit63) {
  Dylib d;
  d.binds = std::string("\x11\x40_calloc\0\x60", 11) + std::string(8, '\x80') + "\x40\x71" + uleb(0) + "\x90";
  std::string error;
  auto im = read_macho(d.bytes(), error);
  ASSERT_TRUE(im) << error;
  ASSERT_EQ(im->binds.size(), 1u);
  EXPECT_EQ(im->binds[0].addend, -(int64_t{1} << 62));
}

// Each case changes the dylib above; the reader refuses it, naming why.
TEST(MachO, RefusesWhatWouldCostMoreThanTheFileOrReachOutsideIt) {
  const struct {
    const char* what;
    std::function<void(Dylib&)> change;
    const char* error;
  } cases[] = {
      {"an initialiser table of 1 GiB in a 16 KB file",
       [](Dylib& d) {
         d.segments[1].vmsize = 1 << 30;
         d.segments[1].sections = {{0x1000, (1 << 30) - 0x1000, 9}};
         d.segments[2].vmaddr = 0x1000 + (1 << 30);
       },
       "initialiser table outside the file data of segment __DATA"},
      {"overlapping initialiser tables, more entries than the file has words",
       [](Dylib& d) {
         d.segments[1].sections = std::vector<Section>(100, {0x1000, 0x1000, 9});
       },
       "more initialisers than a file of 16384 bytes can hold"},
      {"an unaligned initialiser table",
       [](Dylib& d) {
         d.segments[1].sections = {{0x1004, 8, 9}};
       },
       "initialiser table at 0x1004 is not 8-byte aligned"},
      {"segments overlapping in memory", [](Dylib& d) { d.segments[1].vmaddr = 0x800; },
       "segment __DATA overlaps segment __TEXT in memory"},
      {"segments overlapping in the file", [](Dylib& d) { d.segments[2].fileoff = 0x1800; },
       "segment __LINKEDIT overlaps segment __DATA in the file"},
      {"a segment beyond the file", [](Dylib& d) { d.segments[2].filesize = 0x2001; },
       "segment __LINKEDIT lies beyond the end of the file"},
      {"an unaligned rebase", [](Dylib& d) { d.rebases = rebase_at(4); },
       "a rebase at 0x1004 is not 8-byte aligned"},
      {"a rebase whose word leaves its segment",
       [](Dylib& d) {
         d.segments[1].vmsize = 0x1004;
         d.segments[2].vmaddr = 0x3000;
         d.rebases = rebase_at(0x1000);
       },
       "a rebase at offset 0x1000 lies outside segment __DATA"},
      {"a million rebases in a 16 KB file",
       [](Dylib& d) {
         d.segments[1].vmsize = 1 << 30;
         d.segments[2].vmaddr = 0x1000 + (1 << 30);
         d.rebases = rebase_at(0, 1000000);
       },
       "more rebases than a file of 16384 bytes can hold"},
      {"an unaligned bind", [](Dylib& d) { d.binds = bind_at(0xa); },
       "a bind at 0x100a is not 8-byte aligned"},
      {"a bind whose word leaves its segment",
       [](Dylib& d) {
         d.segments[1].vmsize = 0x1004;
         d.segments[2].vmaddr = 0x3000;
         d.binds = bind_at(0x1000);
       },
       "a bind at offset 0x1000 lies outside segment __DATA"},
      {"a million binds of a long name in a 16 KB file",
       [](Dylib& d) {
         d.segments[1].vmsize = 1 << 30;
         d.segments[2].vmaddr = 0x1000 + (1 << 30);
         d.binds = bind_at(0, "_" + std::string(4000, 'x'), 1000000);
       },
       "more binds than a file of 16384 bytes can hold"},
  };
  for (const auto& c : cases) {
    Dylib d;
    c.change(d);
    std::string error;
    EXPECT_FALSE(read_macho(d.bytes(), error)) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
  }
}

// However many slots name one import, it takes one host entry point: 9000
// slots would exhaust the stub area if each had its own.
TEST(MachO, AnImportNamedByManySlotsIsBoundOnce) {
  corvane_test::SimProcess p;
  Dylib d;
  d.segments[1].vmsize = 0x20000;
  d.segments[2].vmaddr = 0x21000;
  d.size = 0x20000;
  d.binds = bind_at(0, "_calloc", 9000);
  std::string error;
  auto lib = EmulatedLibrary::load_bytes(d.bytes(), "crafted", error, false);
  ASSERT_TRUE(lib) << error;
}

}  // namespace

// Unicorn 2.0.1 asserts on FP16 "three same" encodings that name no
// operation; the operations it does translate, and other code, load.
TEST(MachO, KnowsTheInstructionsTheEmulatorCannotTranslate) {
  const struct {
    uint32_t word;
    bool aborts;
  } cases[] = {
      {0x4ed21e00, true},   // found by the dylib fuzzer: U:a:opcode 0b01011
      {0x0ec01c00, true},   // the same encoding, 64 bits wide
      {0x2ec01c00, true},   // U:a:opcode 0b11011
      {0x0e401400, false},  // FADD (half precision)
      {0x2e401400, false},  // FADDP
      {0xd503201f, false},  // NOP
      {0x4e221c00, false},  // AND (vector), another "three same"
  };
  for (const auto& c : cases)
    EXPECT_EQ(sim::emulation::aborts_the_translator(c.word), c.aborts) << std::hex << c.word;
}
