// The arm64e "threaded" fixup format that dyld reads on iOS 13 and 14: each
// fixup is a 64-bit word in place, chained to the next one on its page, and
// reached from a bind stream that opens with BIND_OPCODE_THREADED.
//
// A word: bit 63 auth, bit 62 bind, bits 51-61 the distance to the next
// fixup in 8-byte steps (0 ends the chain).
//   plain rebase: ((target >> 56) << 43) | (target & 0x7FFFFFFFFFF), unslid
//   auth rebase:  bits 0-31 the target's offset from the mach header
//   bind:         bits 0-15 the ordinal-table index (plain: bits 32-50 addend)
//   auth rebase and auth bind: bits 32-47 diversity, bit 48 address
//   diversity, bits 49-50 key (IA, IB, DA, DB)
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace arm64e {

// Every error of the post-link step: a message for the person building.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class Key : uint8_t { IA = 0, IB = 1, DA = 2, DB = 3 };
const char* key_name(Key k);

struct Auth {
  bool on = false;
  Key key = Key::IA;
  bool address_diversity = false;
  uint16_t diversity = 0;
  bool operator==(const Auth&) const = default;
};

// One fixup, as the rewrite places it and as the decoder reads it back.
struct Fixup {
  uint64_t address = 0;  // unslid vmaddr of the slot
  bool bind = false;
  uint64_t target = 0;   // rebase: the unslid vmaddr it points to
  uint32_t ordinal = 0;  // bind: index into the ordinal table
  int64_t addend = 0;    // plain bind only
  Auth auth;
  bool operator==(const Fixup&) const = default;
};

// The word for `f`, chained `next` 8-byte steps on (0: the last on its page).
// Throws Failure when a field does not fit.
uint64_t encode_word(const Fixup& f, uint32_t next);
// What a word says, with the distance to the next fixup in `next`.
Fixup decode_word(uint64_t word, uint64_t address, uint32_t& next);

// One entry of the ordinal table: an imported symbol.
struct Import {
  std::string symbol;
  int library = 0;  // dylib ordinal: 1.. for LC_LOAD_*DYLIB, 0 self, negative special
  bool weak = false;
  int64_t addend = 0;
  bool operator==(const Import&) const = default;
};

// Where a chain starts: a segment index and the offset within it.
struct ChainStart {
  uint32_t segment = 0;
  uint64_t offset = 0;
  bool operator==(const ChainStart&) const = default;
};

struct ThreadedBinds {
  std::vector<Import> imports;
  std::vector<ChainStart> starts;
};

std::vector<uint8_t> write_bind_stream(const ThreadedBinds& binds);
// Reads a threaded bind stream; Failure on anything else or on bytes that
// end early.
ThreadedBinds read_bind_stream(const uint8_t* data, size_t size);

// LEB128 as the Mach-O opcode streams use it.
void put_uleb(std::vector<uint8_t>& out, uint64_t v);
void put_sleb(std::vector<uint8_t>& out, int64_t v);

}  // namespace arm64e
