// The post-link step's pieces, read back by its own decoders: threaded words,
// the threaded bind stream, the assembly's carried requests, SHA-256.
// tests/device/arm64e_slice_test.sh checks a whole rewritten library against
// llvm-objdump's reading of the linker's output.
#include <gtest/gtest.h>

#include <cstring>

#include "tools/arm64e-fixup/assembly.h"
#include "tools/arm64e-fixup/macho_file.h"
#include "tools/arm64e-fixup/signature.h"
#include "tools/arm64e-fixup/threaded.h"

namespace arm64e {
namespace {

Fixup rebase(uint64_t address, uint64_t target, Auth auth = {}) {
  Fixup f;
  f.address = address;
  f.target = target;
  f.auth = auth;
  return f;
}
Fixup bind(uint64_t address, uint32_t ordinal, int64_t addend, Auth auth = {}) {
  Fixup f;
  f.address = address;
  f.bind = true;
  f.ordinal = ordinal;
  f.addend = addend;
  f.auth = auth;
  return f;
}

TEST(ThreadedWords, EveryKindReadsBackAsWritten) {
  struct Case {
    Fixup fixup;
    uint32_t next;
    uint64_t word;
  };
  const Case cases[] = {
      {rebase(0x1000, 0x4920), 0, 0x4920},
      {rebase(0x1000, 0x4920), 3, 3ull << 51 | 0x4920},
      {rebase(0x1000, 0xAB00000000001234), 1, 1ull << 51 | 0xABull << 43 | 0x1234},
      {rebase(0x1000, 0x4920, {true, Key::IA, false, 0}), 0, 1ull << 63 | 0x4920},
      {rebase(0x1000, 0x4920, {true, Key::DB, true, 0x6AE1}), 2,
       1ull << 63 | 2ull << 51 | 3ull << 49 | 1ull << 48 | 0x6AE1ull << 32 | 0x4920},
      {bind(0x1000, 27, 0), 0, 1ull << 62 | 27},
      {bind(0x1000, 5, -8), 0, 1ull << 62 | 0x7FFF8ull << 32 | 5},
      {bind(0x1000, 5, 0, {true, Key::IB, false, 7}), 2047,
       3ull << 62 | 2047ull << 51 | 1ull << 49 | 7ull << 32 | 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encode_word(c.fixup, c.next), c.word) << std::hex << c.word;
    uint32_t next = 0;
    EXPECT_EQ(decode_word(c.word, c.fixup.address, next), c.fixup) << std::hex << c.word;
    EXPECT_EQ(next, c.next);
  }
}

TEST(ThreadedWords, FieldsThatDoNotFitAreRefused) {
  EXPECT_THROW(encode_word(rebase(0, 0x100), 2048), Failure);
  EXPECT_THROW(encode_word(rebase(0, 0x100000000, {true, Key::IA, false, 0}), 0), Failure);
  EXPECT_THROW(encode_word(rebase(0, 0x0100080000000000), 0), Failure);  // bits 43-55
  EXPECT_THROW(encode_word(bind(0, 0x10000, 0), 0), Failure);
  EXPECT_THROW(encode_word(bind(0, 1, 1 << 18), 0), Failure);
  EXPECT_THROW(encode_word(bind(0, 1, 8, {true, Key::IA, false, 0}), 0), Failure);
}

TEST(ThreadedBindStream, RoundTripsOrdinalsFlagsAddendsAndStarts) {
  ThreadedBinds b;
  b.imports = {{"_objc_msgSend", 1, false, 0},
               {"_weak_thing", 6, true, 0},
               {"_far", 17, false, 16},
               {"_flat", -2, false, -4},
               {"_self", 0, false, 0}};
  b.starts = {{1, 0x18}, {1, 0x1000}, {2, 0}, {15, 0x12345}};
  std::vector<uint8_t> s = write_bind_stream(b);
  EXPECT_EQ(s.front(), 0xD0);
  EXPECT_EQ(s.back(), 0x00);
  ThreadedBinds r = read_bind_stream(s.data(), s.size());
  EXPECT_EQ(r.imports, b.imports);
  EXPECT_EQ(r.starts, b.starts);

  for (size_t cut = 0; cut + 1 < s.size(); ++cut)
    EXPECT_THROW(read_bind_stream(s.data(), cut), Failure) << cut;
  std::vector<uint8_t> classic = {0x11, 0x40, 'x', 0, 0x90, 0x00};
  EXPECT_THROW(read_bind_stream(classic.data(), classic.size()), Failure);
  std::vector<uint8_t> overfull = {0xD0, 0x00, 0x90, 0x00};  // a bind into an empty table
  EXPECT_THROW(read_bind_stream(overfull.data(), overfull.size()), Failure);
}

TEST(CarriedRequests, EachFormBecomesAnAddendAndOthersAreRefused) {
  PreparedAssembly p = prepare_assembly(
      "\t.build_version ios, 14, 0\tsdk_version 14, 0\n"
      "\t.quad\t_f@AUTH(ia,0)\n"
      "\t.quad\t_g@AUTH(db,27361,addr) ; with a comment\n"
      "\t.quad\t_h\n",
      "13.0");
  EXPECT_EQ(p.requests, 2);
  EXPECT_EQ(p.text,
            "\t.build_version ios, 13, 0\tsdk_version 14, 0\n"
            "\t.quad\t_f + 0x8000000000000000\n"
            "\t.quad\t_g + 0x80076ae100000000\n"
            "\t.quad\t_h\n");
  EXPECT_THROW(prepare_assembly("\t.long\t_f@AUTH(ia,0)\n", "13.0"), Failure);
  EXPECT_THROW(prepare_assembly("\t.quad\t_f@AUTH(ga,0)\n", "13.0"), Failure);
  EXPECT_THROW(prepare_assembly("\t.quad\t_f@AUTH(ia,70000)\n", "13.0"), Failure);
}

TEST(Sha256, KnownDigests) {
  struct Case {
    std::string input;
    const char* hex;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
  };
  for (const Case& c : cases) {
    auto d = sha256(reinterpret_cast<const uint8_t*>(c.input.data()), c.input.size());
    char hex[65];
    for (int i = 0; i < 32; ++i) snprintf(hex + 2 * i, 3, "%02x", d[i]);
    EXPECT_STREQ(hex, c.hex) << c.input.size();
  }
}

TEST(MachFileReading, DamagedHeadersAreFailuresNotCrashes) {
  // A dylib header with one load command that claims more than the file.
  std::vector<uint8_t> f(64, 0);
  uint32_t header[] = {0xFEEDFACF, 0x0100000C, 0, 6, 1, 32, 0, 0};
  std::memcpy(f.data(), header, sizeof header);
  uint32_t command[] = {0x19, 4096};
  std::memcpy(f.data() + 32, command, sizeof command);
  EXPECT_THROW(MachFile::read(f), Failure);
  for (size_t cut = 0; cut < f.size(); ++cut)
    EXPECT_THROW(MachFile::read(std::vector<uint8_t>(f.begin(), f.begin() + cut)), Failure);
}

}  // namespace
}  // namespace arm64e
