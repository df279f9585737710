#include "tools/arm64e-fixup/macho_file.h"

#include <cstring>
#include <set>

namespace arm64e {
namespace {

constexpr uint32_t kMagic64 = 0xFEEDFACF, kFileDylib = 6;
constexpr uint32_t kLcSegment64 = 0x19, kLcSymtab = 0x2, kLcDyldInfo = 0x22, kLcDyldInfoOnly = 0x80000022,
                   kLcLoadDylib = 0xC, kLcLoadWeakDylib = 0x80000018, kLcReexportDylib = 0x8000001F,
                   kLcLoadUpwardDylib = 0x80000023, kLcLazyLoadDylib = 0x20, kLcCodeSignature = 0x1D,
                   kLcChainedFixups = 0x80000034;
constexpr uint32_t kSectionType = 0xFF, kModInitFuncPointers = 0x9;
constexpr size_t kMaxFixups = 1 << 20;  // a bound on any table, against hostile counts

uint32_t get32(const std::vector<uint8_t>& b, uint64_t off) {
  if (off > b.size() || b.size() - off < 4) throw Failure("the file ends inside a load command");
  uint32_t v;
  std::memcpy(&v, b.data() + off, 4);
  return v;
}
uint64_t get64(const std::vector<uint8_t>& b, uint64_t off) {
  if (off > b.size() || b.size() - off < 8) throw Failure("the file ends inside a load command");
  uint64_t v;
  std::memcpy(&v, b.data() + off, 8);
  return v;
}
std::string name16(const std::vector<uint8_t>& b, uint64_t off) {
  if (off > b.size() || b.size() - off < 16) throw Failure("the file ends inside a load command");
  const char* p = reinterpret_cast<const char*>(b.data() + off);
  return std::string(p, strnlen(p, 16));
}

// A cursor over one opcode stream of the file.
struct Opcodes {
  const std::vector<uint8_t>& b;
  uint64_t at, end;
  Opcodes(const std::vector<uint8_t>& bytes, uint32_t off, uint32_t size) : b(bytes), at(off), end(off) {
    if (off > b.size() || size > b.size() - off) throw Failure("a dyld information stream beyond the file");
    end = static_cast<uint64_t>(off) + size;
  }
  bool more() const { return at < end; }
  uint8_t byte() {
    if (at >= end) throw Failure("a dyld information stream ends inside an opcode");
    return b[at++];
  }
  uint64_t uleb() {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      uint8_t c = byte();
      if (shift > 63) throw Failure("an overlong number in a dyld information stream");
      v |= static_cast<uint64_t>(c & 0x7F) << shift;
      if (!(c & 0x80)) return v;
    }
  }
  int64_t sleb() {
    int64_t v = 0;
    int shift = 0;
    uint8_t c = 0;
    do {
      c = byte();
      if (shift > 63) throw Failure("an overlong number in a dyld information stream");
      v |= static_cast<int64_t>(static_cast<uint64_t>(c & 0x7F) << shift);
      shift += 7;
    } while (c & 0x80);
    if (shift < 64 && (c & 0x40)) v |= -(static_cast<int64_t>(1) << shift);
    return v;
  }
  std::string cstring() {
    std::string s;
    for (uint8_t c; (c = byte()) != 0;) s += static_cast<char>(c);
    return s;
  }
};

}  // namespace

MachFile MachFile::read(std::vector<uint8_t> bytes) {
  MachFile m;
  m.bytes = std::move(bytes);
  const auto& b = m.bytes;
  if (get32(b, 0) != kMagic64) throw Failure("not a 64-bit Mach-O file");
  if (get32(b, 4) != kCpuArm64) throw Failure("not an arm64 Mach-O file");
  m.cpusubtype = get32(b, 8);
  if (get32(b, 12) != kFileDylib) throw Failure("not a dylib");
  uint32_t ncmds = get32(b, 16), sizeofcmds = get32(b, 20);
  if (sizeofcmds > b.size() - 32) throw Failure("load commands beyond the file");
  uint64_t at = 32, end = 32 + static_cast<uint64_t>(sizeofcmds);
  for (uint32_t i = 0; i < ncmds; ++i) {
    if (end - at < 8) throw Failure("load commands beyond their stated size");
    uint32_t cmd = get32(b, at), size = get32(b, at + 4);
    if (size < 8 || size % 8 || size > end - at) throw Failure("a load command of a bad size");
    switch (cmd) {
      case kLcSegment64: {
        if (size < 72) throw Failure("a segment command too short");
        Segment s{name16(b, at + 8), get64(b, at + 24), get64(b, at + 32), get64(b, at + 40),
                  get64(b, at + 48)};
        if (s.fileoff > b.size() || s.filesize > b.size() - s.fileoff)
          throw Failure("a segment beyond the file");
        if (s.vmaddr + s.vmsize < s.vmaddr) throw Failure("a segment beyond the address space");
        uint32_t nsects = get32(b, at + 64);
        if (nsects > (size - 72) / 80) throw Failure("more sections than the segment command holds");
        for (uint32_t j = 0; j < nsects; ++j) {
          uint64_t h = at + 72 + 80ull * j;
          Section sec{name16(b, h + 16),
                      name16(b, h),
                      get64(b, h + 32),
                      get64(b, h + 40),
                      get32(b, h + 48),
                      get32(b, h + 64),
                      h};
          if (sec.addr < s.vmaddr || sec.size > s.vmsize || sec.addr - s.vmaddr > s.vmsize - sec.size)
            throw Failure("section " + sec.name + " lies outside its segment");
          m.sections.push_back(sec);
        }
        m.segments.push_back(s);
        break;
      }
      case kLcDyldInfo:
      case kLcDyldInfoOnly: {
        if (size < 48) throw Failure("a dyld information command too short");
        m.dyld_info.command_offset = at;
        uint32_t* f = &m.dyld_info.rebase_off;
        for (int k = 0; k < 10; ++k) f[k] = get32(b, at + 8 + 4 * k);
        break;
      }
      case kLcSymtab:
        if (size < 24) throw Failure("a symbol table command too short");
        m.symoff = get32(b, at + 8);
        m.nsyms = get32(b, at + 12);
        m.stroff = get32(b, at + 16);
        m.strsize = get32(b, at + 20);
        break;
      case kLcCodeSignature:
        if (size < 16) throw Failure("a code signature command too short");
        m.signature_off = get32(b, at + 8);
        m.signature_size = get32(b, at + 12);
        if (m.signature_off > b.size() || m.signature_size > b.size() - m.signature_off)
          throw Failure("the code signature lies beyond the file");
        break;
      case kLcLoadDylib:
      case kLcLoadWeakDylib:
      case kLcReexportDylib:
      case kLcLoadUpwardDylib:
      case kLcLazyLoadDylib: {
        uint32_t name = get32(b, at + 8);
        if (name < 24 || name >= size) throw Failure("a library command with its name outside it");
        const char* p = reinterpret_cast<const char*>(b.data() + at + name);
        m.libraries.emplace_back(p, strnlen(p, size - name));
        break;
      }
      case kLcChainedFixups: throw Failure("the file uses chained fixups, which iOS 13 cannot read");
    }
    at += size;
  }
  if (!m.dyld_info.command_offset) throw Failure("no LC_DYLD_INFO_ONLY command");
  if (m.segments.size() > 16) throw Failure("more segments than dyld information can name");
  return m;
}

const Section* MachFile::section(const char* segment, const char* name) const {
  for (const Section& s : sections)
    if (s.segment == segment && s.name == name) return &s;
  return nullptr;
}

size_t MachFile::segment_of(uint64_t address) const {
  for (size_t i = 0; i < segments.size(); ++i)
    if (address >= segments[i].vmaddr && address - segments[i].vmaddr < segments[i].filesize) return i;
  throw Failure("an address outside every segment's file contents");
}

size_t MachFile::file_offset(uint64_t address, uint64_t size) const {
  const Segment& s = segments[segment_of(address)];
  uint64_t off = address - s.vmaddr;
  if (size > s.filesize - off) throw Failure("a pointer that straddles the end of its segment");
  return s.fileoff + off;
}

uint64_t MachFile::word(uint64_t address) const { return get64(bytes, file_offset(address, 8)); }

void MachFile::set_word(uint64_t address, uint64_t value) {
  std::memcpy(bytes.data() + file_offset(address, 8), &value, 8);
}

std::vector<uint64_t> MachFile::classic_rebases() const {
  constexpr uint8_t kDone = 0x00, kSetType = 0x10, kSetSegment = 0x20, kAddAddrUleb = 0x30,
                    kAddAddrImmScaled = 0x40, kImmTimes = 0x50, kUlebTimes = 0x60, kAddAddrUlebAfter = 0x70,
                    kUlebTimesSkipping = 0x80;
  std::vector<uint64_t> out;
  Opcodes s(bytes, dyld_info.rebase_off, dyld_info.rebase_size);
  uint64_t address = 0;
  bool placed = false;
  auto rebase = [&](uint64_t count, uint64_t step) {
    if (!placed) throw Failure("a rebase before any segment is set");
    if (count > kMaxFixups - out.size()) throw Failure("more rebases than any dylib has");
    for (uint64_t i = 0; i < count; ++i) {
      segment_of(address);
      out.push_back(address);
      address += step;
    }
  };
  while (s.more()) {
    uint8_t op = s.byte(), imm = op & 0xF;
    switch (op & 0xF0) {
      case kDone: return out;
      case kSetType:
        if (imm != 1) throw Failure("a rebase of a type other than pointer");
        break;
      case kSetSegment:
        if (imm >= segments.size()) throw Failure("a rebase in a segment the file does not have");
        address = segments[imm].vmaddr + s.uleb();
        placed = true;
        break;
      case kAddAddrUleb: address += s.uleb(); break;
      case kAddAddrImmScaled: address += imm * 8ull; break;
      case kImmTimes: rebase(imm, 8); break;
      case kUlebTimes: rebase(s.uleb(), 8); break;
      case kAddAddrUlebAfter: rebase(1, 8 + s.uleb()); break;
      case kUlebTimesSkipping: {
        uint64_t count = s.uleb(), skip = s.uleb();
        rebase(count, 8 + skip);
        break;
      }
      default: throw Failure("an unknown rebase opcode");
    }
  }
  return out;
}

std::vector<ClassicBind> MachFile::classic_binds() const {
  constexpr uint8_t kDone = 0x00, kOrdImm = 0x10, kOrdUleb = 0x20, kSpecial = 0x30, kSymbol = 0x40,
                    kType = 0x50, kAddend = 0x60, kSetSegment = 0x70, kAddAddr = 0x80, kDoBind = 0x90,
                    kDoBindAddAddr = 0xA0, kDoBindImmScaled = 0xB0, kDoBindTimesSkipping = 0xC0;
  std::vector<ClassicBind> out;
  for (bool lazy : {false, true}) {
    Opcodes s(bytes, lazy ? dyld_info.lazy_bind_off : dyld_info.bind_off,
              lazy ? dyld_info.lazy_bind_size : dyld_info.bind_size);
    Import current;
    uint64_t address = 0;
    bool placed = false;
    auto bind = [&]() {
      if (!placed) throw Failure("a bind before any segment is set");
      if (out.size() >= kMaxFixups) throw Failure("more binds than any dylib has");
      segment_of(address);
      out.push_back({address, current, lazy});
    };
    while (s.more()) {
      uint8_t op = s.byte(), imm = op & 0xF;
      switch (op & 0xF0) {
        case kDone:
          if (!lazy) s.at = s.end;  // the lazy stream puts one after each entry
          break;
        case kOrdImm: current.library = imm; break;
        case kOrdUleb: {
          uint64_t v = s.uleb();
          if (v > 0xFFFF) throw Failure("a library ordinal out of range");
          current.library = static_cast<int>(v);
          break;
        }
        case kSpecial: current.library = imm ? static_cast<int8_t>(0xF0 | imm) : 0; break;
        case kSymbol:
          current.weak = imm & 1;
          current.symbol = s.cstring();
          break;
        case kType:
          if (imm != 1) throw Failure("a bind of a type other than pointer");
          break;
        case kAddend: current.addend = s.sleb(); break;
        case kSetSegment:
          if (imm >= segments.size()) throw Failure("a bind in a segment the file does not have");
          address = segments[imm].vmaddr + s.uleb();
          placed = true;
          break;
        case kAddAddr: address += s.uleb(); break;
        case kDoBind:
          bind();
          address += 8;
          break;
        case kDoBindAddAddr:
          bind();
          address += 8 + s.uleb();
          break;
        case kDoBindImmScaled:
          bind();
          address += 8 + imm * 8ull;
          break;
        case kDoBindTimesSkipping: {
          uint64_t count = s.uleb(), skip = s.uleb();
          for (uint64_t i = 0; i < count; ++i) {
            bind();
            address += 8 + skip;
            if (i > kMaxFixups) throw Failure("more binds than any dylib has");
          }
          break;
        }
        default: throw Failure("a bind opcode that the classic streams do not use");
      }
    }
  }
  return out;
}

ThreadedBinds MachFile::threaded_binds() const {
  Opcodes check(bytes, dyld_info.bind_off, dyld_info.bind_size);
  return read_bind_stream(bytes.data() + dyld_info.bind_off, dyld_info.bind_size);
}

std::vector<Fixup> MachFile::threaded_fixups(const ThreadedBinds& binds) const {
  std::vector<Fixup> out;
  std::set<uint64_t> seen;
  for (const ChainStart& start : binds.starts) {
    if (start.segment >= segments.size()) throw Failure("a chain in a segment the file does not have");
    const Segment& seg = segments[start.segment];
    if (start.offset >= seg.filesize) throw Failure("a chain that starts outside its segment");
    uint64_t address = seg.vmaddr + start.offset;
    for (;;) {
      if (address % 8) throw Failure("a fixup that is not 8-byte aligned");
      if (!seen.insert(address).second) throw Failure("two chains reach the same fixup");
      if (out.size() >= kMaxFixups) throw Failure("more fixups than any dylib has");
      uint32_t next = 0;
      Fixup f = decode_word(word(address), address, next);
      if (f.bind && f.ordinal >= binds.imports.size()) throw Failure("a bind beyond the ordinal table");
      out.push_back(f);
      if (!next) break;
      address += next * 8ull;
      if (address - seg.vmaddr >= seg.filesize) throw Failure("a chain that runs past its segment");
    }
  }
  return out;
}

std::vector<uint64_t> MachFile::initialiser_slots() const {
  std::vector<uint64_t> out;
  for (const Section& s : sections)
    if ((s.flags & kSectionType) == kModInitFuncPointers)
      for (uint64_t a = s.addr; a + 8 <= s.addr + s.size; a += 8) out.push_back(a);
  return out;
}

std::string MachFile::library_name(int ordinal) const {
  if (ordinal == 0) return "self";
  if (ordinal < 0) return "special";
  if (static_cast<size_t>(ordinal) > libraries.size()) return "?";
  std::string path = libraries[ordinal - 1];
  std::string base = path.substr(path.rfind('/') + 1);
  size_t dot = base.find('.');
  return dot == std::string::npos ? base : base.substr(0, dot);
}

}  // namespace arm64e
