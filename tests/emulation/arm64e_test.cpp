// The emulation's reading of the phone's fat file and of the arm64e slice's
// threaded fixups, on small hand-made inputs; the real slice runs every
// scenario in tests/device/emulated_scenarios_test.sh.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/emulation/fat_file.h"
#include "sim/emulation/macho.h"
#include "sim/emulation/threaded_fixups.h"

namespace sim::emulation {
namespace {

std::string thin(uint32_t subtype, char fill) {
  std::string b(32, fill);
  const uint32_t head[] = {0xfeedfacf, 0x0100000c, subtype};
  std::memcpy(b.data(), head, sizeof head);
  return b;
}

void put_be32(std::string& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b += static_cast<char>(v >> s);
}

// A fat file of up to two slices of up to 64 bytes, the header in the first
// 64 bytes and slice k at 64 (k + 1).
std::string fat(const std::vector<std::string>& slices) {
  std::string b;
  put_be32(b, 0xcafebabe);
  put_be32(b, static_cast<uint32_t>(slices.size()));
  uint32_t offset = 64;
  for (const std::string& s : slices) {
    uint32_t subtype;
    std::memcpy(&subtype, s.data() + 8, 4);
    put_be32(b, 0x0100000c);
    put_be32(b, subtype);
    put_be32(b, offset);
    put_be32(b, static_cast<uint32_t>(s.size()));
    put_be32(b, 6);
    offset += 64;
  }
  for (const std::string& s : slices) {
    b.resize((b.size() + 63) / 64 * 64, '\0');
    b += s;
  }
  return b;
}

TEST(FatFile, PicksTheSliceAskedForAndArm64eByDefault) {
  const std::string arm64 = thin(0, 'a'), arm64e = thin(2, 'e'), abi = thin(0x80000002, 'v');
  struct Case {
    std::string file, arch, slice, error;
  };
  const Case cases[] = {
      {fat({arm64, arm64e}), "", arm64e, ""},
      {fat({arm64, arm64e}), "arm64", arm64, ""},
      {fat({arm64e, arm64}), "arm64e", arm64e, ""},
      {fat({arm64, abi}), "arm64e", abi, ""},  // the top byte is capability bits
      {fat({arm64}), "", arm64, ""},
      {fat({arm64}), "arm64e", "", "the fat file has no arm64e slice"},
      {arm64, "", arm64, ""},
      {arm64e, "arm64e", arm64e, ""},
      {arm64, "arm64e", "", "a thin arm64 file has no arm64e slice"},
      {fat({arm64, arm64e}), "x86_64", "", "no architecture x86_64 (arm64 or arm64e)"},
      {fat({arm64e}).substr(0, 20), "", "", "a fat file with a damaged header"},
      {fat({arm64e}).substr(0, 80), "", "", "the arm64e slice lies beyond the fat file"},
  };
  for (const Case& c : cases) {
    std::string bytes = c.file, error;
    EXPECT_TRUE(looks_like_device_library(bytes));
    EXPECT_EQ(select_slice(bytes, c.arch, error), c.error.empty()) << c.arch << ": " << error;
    if (c.error.empty()) {
      EXPECT_EQ(bytes, c.slice);
    }
    EXPECT_EQ(error, c.error);
  }
  EXPECT_FALSE(looks_like_device_library("#!/bin/sh\n"));
}

// A one-segment image whose file holds `words` at offset 0x100 and the bind
// stream `stream` at 0x40.
struct Threaded {
  std::string file;
  MachImage image;
  std::string error;
  bool read(const std::string& stream, const std::vector<uint64_t>& words) {
    file.assign(0x200, '\0');
    std::memcpy(file.data() + 0x40, stream.data(), stream.size());
    std::memcpy(file.data() + 0x100, words.data(), words.size() * 8);
    image = MachImage{};
    image.segments.push_back({"__DATA", 0x4000, 0x100, 0x100, 0x100, 3});
    return read_threaded_fixups(file, 0x40, stream.size(), {"libobjc", "libSystem"}, image, error);
  }
};

// Ordinal table of one import (_f from library 2), then one chain at 0x4000.
const std::string kStream("\xd0\x01\x12\x40_f\x00\x90\x70\x00\xd1\x00", 12);

TEST(ThreadedFixupsReading, DecodesEachKindAndRefusesDamagedChains) {
  Threaded t;
  const uint64_t auth_rebase = 1ull << 63 | 1ull << 51 | 1ull << 48 | 0x1234ull << 32 | 0x4abc;
  const uint64_t plain_rebase = 1ull << 51 | 0x12ull << 43 | 0x5000;
  const uint64_t bind = 1ull << 62 | 0x7fff8ull << 32;  // addend -8, the last of the chain
  ASSERT_TRUE(t.read(kStream, {auth_rebase, plain_rebase, bind})) << t.error;
  ASSERT_EQ(t.image.binds.size(), 1u);
  EXPECT_EQ(t.image.binds[0].symbol, "_f");
  EXPECT_EQ(t.image.binds[0].library, "libSystem");
  ASSERT_EQ(t.image.threaded.size(), 3u);
  const ThreadedFixup& a = t.image.threaded[0];
  EXPECT_TRUE(a.auth && a.address_diversity && !a.bind);
  EXPECT_EQ(a.target, 0x4abcu);
  EXPECT_EQ(fixup_discriminator(a, 0x7f0000004000), 0x12347f0000004000u);
  EXPECT_EQ(t.image.threaded[1].target, 0x1200000000005000u);
  EXPECT_TRUE(t.image.threaded[2].bind);
  EXPECT_EQ(t.image.threaded[2].addend, -8);

  struct Bad {
    std::string stream;
    std::vector<uint64_t> words;
    const char* error;
  };
  const Bad bad[] = {
      {kStream, {1ull << 51 | 0x4000, 0x7ffull << 51}, "a fixup chain that leaves its segment"},
      {kStream, {1ull << 62 | 1}, "a bind beyond the ordinal table"},
      {std::string("\xd0\x01\x12\x40_f\x00\x90\x70\x00\xd1\x70\x00\xd1\x00", 15),
       {0},
       "fixup chains that meet"},
      {kStream.substr(0, 8), {0}, "a truncated bind stream"},
      {std::string("\xd0\x00\x12\x40_f\x00\x90\x00", 9), {0}, "more imports than the ordinal table holds"},
      {std::string("\xd0\x01\x13\x40_f\x00\x90\x00", 9), {0}, "an import of _f from no library (ordinal 3)"},
  };
  for (const Bad& b : bad) {
    EXPECT_FALSE(t.read(b.stream, b.words)) << b.error;
    EXPECT_EQ(t.error, b.error);
  }
}

}  // namespace
}  // namespace sim::emulation
