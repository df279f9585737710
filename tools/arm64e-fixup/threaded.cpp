#include "tools/arm64e-fixup/threaded.h"

#include <limits>

namespace arm64e {
namespace {

constexpr uint8_t kBindDone = 0x00, kSetDylibOrdinalImm = 0x10, kSetDylibOrdinalUleb = 0x20,
                  kSetDylibSpecialImm = 0x30, kSetSymbolTrailingFlagsImm = 0x40, kSetTypeImm = 0x50,
                  kSetAddendSleb = 0x60, kSetSegmentAndOffsetUleb = 0x70, kDoBind = 0x90, kThreaded = 0xD0;
constexpr uint8_t kThreadedSetTableSize = 0x00, kThreadedApply = 0x01;
constexpr uint8_t kTypePointer = 1, kWeakImport = 0x1;
constexpr size_t kMaxImports = 1 << 16;  // an ordinal-table index has 16 bits

}  // namespace

const char* key_name(Key k) {
  switch (k) {
    case Key::IA: return "ia";
    case Key::IB: return "ib";
    case Key::DA: return "da";
    case Key::DB: return "db";
  }
  return "?";
}

uint64_t encode_word(const Fixup& f, uint32_t next) {
  if (next > 0x7FF) throw Failure("a fixup chain step longer than 2047 words");
  uint64_t w = static_cast<uint64_t>(next) << 51;
  if (f.auth.on) {
    w |= 1ull << 63;
    w |= static_cast<uint64_t>(f.auth.diversity) << 32;
    w |= static_cast<uint64_t>(f.auth.address_diversity) << 48;
    w |= static_cast<uint64_t>(f.auth.key) << 49;
  }
  if (f.bind) {
    if (f.ordinal > 0xFFFF) throw Failure("more than 65536 imports");
    w |= 1ull << 62 | f.ordinal;
    if (!f.auth.on) {
      // 19 bits of addend, sign-extended by dyld.
      if (f.addend < -(1 << 18) || f.addend >= (1 << 18)) throw Failure("a bind addend beyond 19 bits");
      w |= (static_cast<uint64_t>(f.addend) & 0x7FFFF) << 32;
    } else if (f.addend != 0) {
      throw Failure("an authenticated bind with an addend");
    }
  } else if (f.auth.on) {
    if (f.target > 0xFFFFFFFF) throw Failure("an authenticated rebase to a target beyond 4 GiB");
    w |= f.target;
  } else {
    uint64_t low = f.target & 0x7FFFFFFFFFFull, high = f.target >> 56;
    if ((low | high << 56) != f.target) throw Failure("a rebase target that the plain form cannot hold");
    w |= high << 43 | low;
  }
  return w;
}

Fixup decode_word(uint64_t w, uint64_t address, uint32_t& next) {
  Fixup f;
  f.address = address;
  next = static_cast<uint32_t>((w >> 51) & 0x7FF);
  f.bind = (w >> 62) & 1;
  f.auth.on = (w >> 63) & 1;
  if (f.auth.on) {
    f.auth.diversity = static_cast<uint16_t>(w >> 32);
    f.auth.address_diversity = (w >> 48) & 1;
    f.auth.key = static_cast<Key>((w >> 49) & 3);
  }
  if (f.bind) {
    f.ordinal = static_cast<uint32_t>(w & 0xFFFF);
    if (!f.auth.on) {
      int64_t a = static_cast<int64_t>((w >> 32) & 0x7FFFF);
      f.addend = a & 0x40000 ? a - 0x80000 : a;
    }
  } else if (f.auth.on) {
    f.target = w & 0xFFFFFFFF;
  } else {
    f.target = ((w >> 43) & 0xFF) << 56 | (w & 0x7FFFFFFFFFFull);
  }
  return f;
}

void put_uleb(std::vector<uint8_t>& out, uint64_t v) {
  do {
    uint8_t b = v & 0x7F;
    v >>= 7;
    out.push_back(v ? b | 0x80 : b);
  } while (v);
}

void put_sleb(std::vector<uint8_t>& out, int64_t v) {
  for (;;) {
    uint8_t b = v & 0x7F;
    v >>= 7;  // arithmetic
    bool done = (v == 0 && !(b & 0x40)) || (v == -1 && (b & 0x40));
    out.push_back(done ? b : b | 0x80);
    if (done) return;
  }
}

std::vector<uint8_t> write_bind_stream(const ThreadedBinds& binds) {
  if (binds.imports.size() > kMaxImports) throw Failure("more than 65536 imports");
  std::vector<uint8_t> out;
  out.push_back(kThreaded | kThreadedSetTableSize);
  put_uleb(out, binds.imports.size());
  out.push_back(kSetTypeImm | kTypePointer);
  int64_t addend = 0;
  for (const Import& i : binds.imports) {
    if (i.library <= 0) {
      if (i.library < -15) throw Failure("a special library ordinal below -15");
      out.push_back(kSetDylibSpecialImm | (i.library & 0xF));
    } else if (i.library < 16) {
      out.push_back(kSetDylibOrdinalImm | i.library);
    } else {
      out.push_back(kSetDylibOrdinalUleb);
      put_uleb(out, i.library);
    }
    out.push_back(kSetSymbolTrailingFlagsImm | (i.weak ? kWeakImport : 0));
    out.insert(out.end(), i.symbol.begin(), i.symbol.end());
    out.push_back(0);
    if (i.addend != addend) {
      out.push_back(kSetAddendSleb);
      put_sleb(out, i.addend);
      addend = i.addend;
    }
    out.push_back(kDoBind);
  }
  for (const ChainStart& s : binds.starts) {
    if (s.segment > 15) throw Failure("a fixup in a segment beyond the 16th");
    out.push_back(kSetSegmentAndOffsetUleb | s.segment);
    put_uleb(out, s.offset);
    out.push_back(kThreaded | kThreadedApply);
  }
  out.push_back(kBindDone);
  return out;
}

ThreadedBinds read_bind_stream(const uint8_t* data, size_t size) {
  size_t at = 0;
  auto byte = [&]() -> uint8_t {
    if (at >= size) throw Failure("the bind stream ends inside an opcode");
    return data[at++];
  };
  auto uleb = [&]() {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      uint8_t b = byte();
      if (shift > 63) throw Failure("an overlong number in the bind stream");
      v |= static_cast<uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
  };
  auto sleb = [&]() {
    int64_t v = 0;
    int shift = 0;
    uint8_t b = 0;
    do {
      b = byte();
      if (shift > 63) throw Failure("an overlong number in the bind stream");
      v |= static_cast<int64_t>(static_cast<uint64_t>(b & 0x7F) << shift);
      shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40)) v |= -(static_cast<int64_t>(1) << shift);
    return v;
  };

  ThreadedBinds r;
  if (size == 0 || data[0] != (kThreaded | kThreadedSetTableSize))
    throw Failure("the bind stream does not open with BIND_OPCODE_THREADED");
  Import current;
  uint64_t table_size = 0;
  uint32_t segment = 0;
  uint64_t offset = 0;
  while (at < size) {
    uint8_t op = byte(), imm = op & 0xF;
    switch (op & 0xF0) {
      case kBindDone: return r;
      case kSetDylibOrdinalImm: current.library = imm; break;
      case kSetDylibOrdinalUleb: {
        uint64_t v = uleb();
        if (v > static_cast<uint64_t>(std::numeric_limits<int>::max()))
          throw Failure("a library ordinal out of range");
        current.library = static_cast<int>(v);
        break;
      }
      case kSetDylibSpecialImm: current.library = imm ? static_cast<int8_t>(0xF0 | imm) : 0; break;
      case kSetSymbolTrailingFlagsImm: {
        current.weak = imm & kWeakImport;
        current.symbol.clear();
        for (uint8_t c; (c = byte()) != 0;) current.symbol += static_cast<char>(c);
        break;
      }
      case kSetTypeImm:
        if (imm != kTypePointer) throw Failure("a bind type other than pointer");
        break;
      case kSetAddendSleb: current.addend = sleb(); break;
      case kSetSegmentAndOffsetUleb:
        segment = imm;
        offset = uleb();
        break;
      case kDoBind:
        if (r.imports.size() >= table_size) throw Failure("more binds than the ordinal table's size");
        r.imports.push_back(current);
        break;
      case kThreaded:
        if (imm == kThreadedSetTableSize) {
          table_size = uleb();
          if (table_size > kMaxImports) throw Failure("an ordinal table beyond 65536 entries");
          r.imports.reserve(table_size);
        } else if (imm == kThreadedApply) {
          r.starts.push_back({segment, offset});
        } else {
          throw Failure("an unknown threaded bind opcode");
        }
        break;
      default: throw Failure("a bind opcode that a threaded stream does not use");
    }
  }
  throw Failure("the bind stream has no BIND_OPCODE_DONE");
}

}  // namespace arm64e
