#include "sim/emulation/macho.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "sim/emulation/opcode_stream.h"

namespace sim::emulation {

std::string hex(uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(v));
  return text;
}

namespace {

constexpr uint32_t kMagic64 = 0xfeedfacf;
constexpr uint32_t kCpuArm64 = 0x0100000c;
constexpr uint32_t kFileDylib = 6;
constexpr uint32_t kFileBundle = 8;  // a loadable bundle (a settings pane): loaded as a dylib is
constexpr uint32_t kLcSegment64 = 0x19, kLcSymtab = 0x2, kLcDyldInfo = 0x22, kLcDyldInfoOnly = 0x80000022,
                   kLcLoadDylib = 0xc, kLcLoadWeakDylib = 0x80000018, kLcReexportDylib = 0x8000001f,
                   kLcLoadUpwardDylib = 0x80000023, kLcLazyLoadDylib = 0x20, kLcChainedFixups = 0x80000034;
constexpr uint32_t kModInitFuncPointers = 0x9;
constexpr size_t kMaxCount = 1 << 20;  // a bound on any table, against hostile counts

// Bounds-checked reads of a byte string; every failure is remembered.
class Reader {
 public:
  explicit Reader(const std::string& b) : b_(b) {}
  template <typename T>
  T at(uint64_t off) {
    T v{};
    if (off > b_.size() || b_.size() - off < sizeof(T)) {
      bad_ = true;
      return v;
    }
    std::memcpy(&v, b_.data() + off, sizeof(T));
    return v;
  }
  bool in_range(uint64_t off, uint64_t size) const { return off <= b_.size() && size <= b_.size() - off; }
  // The bytes from `off` up to a NUL or `limit`, whichever comes first.
  std::string_view cstring(uint64_t off, uint64_t limit) const {
    limit = std::min<uint64_t>(limit, b_.size());
    if (off >= limit) return {};
    const char* start = b_.data() + off;
    const void* nul = std::memchr(start, 0, limit - off);
    return {start, nul ? static_cast<size_t>(static_cast<const char*>(nul) - start) : limit - off};
  }
  bool bad() const { return bad_; }

 private:
  const std::string& b_;
  bool bad_ = false;
};

// libobjc.A.dylib -> libobjc, CoreFoundation -> CoreFoundation.
std::string_view short_name(std::string_view path) {
  if (size_t slash = path.rfind('/'); slash != std::string_view::npos) path.remove_prefix(slash + 1);
  if (path.size() > 6 && path.ends_with(".dylib")) path.remove_suffix(6);
  if (size_t dot = path.find('.'); dot != std::string_view::npos) path = path.substr(0, dot);
  return path;
}

// The address of the pointer-sized fixup at `off` in segment `seg`: it must
// be 8-byte aligned and lie wholly inside the segment. Returns "" or what is
// wrong.
std::string fixup_address(const MachImage& im, bool have_seg, uint64_t seg, uint64_t off, const char* what,
                          uint64_t& out) {
  if (!have_seg) return std::string("a ") + what + " before any segment is chosen";
  if (seg >= im.segments.size())
    return std::string("a ") + what + " in segment " + std::to_string(seg) + ", which the file does not have";
  const MachSegment& s = im.segments[seg];
  if (off > s.vmsize || s.vmsize - off < 8)
    return std::string("a ") + what + " at offset " + hex(off) + " lies outside segment " + s.name;
  out = s.vmaddr + off;
  if (out % 8) return std::string("a ") + what + " at " + hex(out) + " is not 8-byte aligned";
  return "";
}

// No more fixups than the file has words: each one is a pointer the file
// could hold.
size_t fixup_limit(const std::string& b) { return std::min(kMaxCount, b.size() / 8); }

bool read_rebases(const std::string& b, uint64_t off, uint64_t size, MachImage& im, std::string& error) {
  OpcodeStream s{b, off, off + size};
  uint64_t seg = 0, addr_off = 0;
  bool have_seg = false;
  const size_t limit = fixup_limit(b);
  auto rebase = [&]() {
    uint64_t a = 0;
    error = fixup_address(im, have_seg, seg, addr_off, "rebase", a);
    if (!error.empty()) return false;
    if (im.rebases.size() >= limit) {
      error = "more rebases than a file of " + std::to_string(b.size()) + " bytes can hold";
      return false;
    }
    im.rebases.push_back(a);
    addr_off += 8;
    return true;
  };
  while (s.more() && !s.bad) {
    uint8_t c = s.byte();
    uint8_t op = c & 0xf0, imm = c & 0x0f;
    switch (op) {
      case 0x00: return true;
      case 0x10: break;  // type: only pointers exist on arm64
      case 0x20:
        seg = imm;
        addr_off = s.uleb();
        have_seg = true;
        break;
      case 0x30: addr_off += s.uleb(); break;
      case 0x40: addr_off += uint64_t{imm} * 8; break;
      case 0x50:
        for (int i = 0; i < imm; ++i)
          if (!rebase()) return false;
        break;
      case 0x60: {
        const uint64_t n = s.uleb();
        for (uint64_t i = 0; i < n && !s.bad; ++i)
          if (!rebase()) return false;
        break;
      }
      case 0x70:
        if (!rebase()) return false;
        addr_off += s.uleb();
        break;
      case 0x80: {
        const uint64_t n = s.uleb(), skip = s.uleb();
        for (uint64_t i = 0; i < n && !s.bad; ++i) {
          if (!rebase()) return false;
          addr_off += skip;
        }
        break;
      }
      default: error = "an unknown rebase opcode " + hex(c); return false;
    }
  }
  if (s.bad) error = "a truncated rebase stream";
  return !s.bad;
}

bool read_binds(const std::string& b, uint64_t off, uint64_t size, bool lazy,
                const std::vector<std::string_view>& libraries, MachImage& im, std::string& error) {
  OpcodeStream s{b, off, off + size};
  uint64_t seg = 0, addr_off = 0;
  bool have_seg = false, weak = false;
  int64_t ordinal = 0, addend = 0;
  std::string_view symbol;
  const size_t limit = fixup_limit(b);
  auto bind = [&]() {
    uint64_t a = 0;
    error = fixup_address(im, have_seg, seg, addr_off, "bind", a);
    if (!error.empty()) return false;
    if (im.binds.size() >= limit) {
      error = "more binds than a file of " + std::to_string(b.size()) + " bytes can hold";
      return false;
    }
    if (ordinal < 1 || static_cast<uint64_t>(ordinal) > libraries.size()) {
      error = "a bind of " + std::string(symbol) + " to no library (ordinal " + std::to_string(ordinal) + ")";
      return false;
    }
    im.binds.push_back({a, symbol, libraries[ordinal - 1], weak, addend});
    addr_off += 8;
    return true;
  };
  while (s.more() && !s.bad) {
    uint8_t c = s.byte();
    uint8_t op = c & 0xf0, imm = c & 0x0f;
    switch (op) {
      case 0x00:
        if (!lazy) return true;
        break;
      case 0x10: ordinal = imm; break;
      case 0x20: ordinal = static_cast<int64_t>(s.uleb()); break;
      case 0x30: ordinal = imm ? static_cast<int8_t>(0xf0 | imm) : 0; break;
      case 0x40:
        weak = imm & 0x1;
        symbol = s.cstring();
        break;
      case 0x50: break;  // type: pointers only
      case 0x60: addend = s.sleb(); break;
      case 0x70:
        seg = imm;
        addr_off = s.uleb();
        have_seg = true;
        break;
      case 0x80: addr_off += s.uleb(); break;
      case 0x90:
        if (!bind()) return false;
        break;
      case 0xa0:
        if (!bind()) return false;
        addr_off += s.uleb();
        break;
      case 0xb0:
        if (!bind()) return false;
        addr_off += uint64_t{imm} * 8;
        break;
      case 0xc0: {
        const uint64_t n = s.uleb(), skip = s.uleb();
        for (uint64_t i = 0; i < n && !s.bad; ++i) {
          if (!bind()) return false;
          addr_off += skip;
        }
        break;
      }
      default: error = "an unknown bind opcode " + hex(c); return false;
    }
  }
  if (s.bad) error = "a truncated bind stream";
  return !s.bad;
}

// Segments may neither overlap in memory nor share bytes of the file, so
// that mapping copies each byte of the file at most once. Returns "" or
// which two overlap.
std::string overlapping_segments(const std::vector<MachSegment>& segments) {
  for (const bool in_file : {false, true}) {
    std::vector<const MachSegment*> order;
    for (const MachSegment& s : segments)
      if (in_file ? s.filesize : s.vmsize) order.push_back(&s);
    const auto start = [in_file](const MachSegment* s) { return in_file ? s->fileoff : s->vmaddr; };
    const auto length = [in_file](const MachSegment* s) { return in_file ? s->filesize : s->vmsize; };
    std::sort(order.begin(), order.end(),
              [&](const MachSegment* a, const MachSegment* c) { return start(a) < start(c); });
    for (size_t i = 1; i < order.size(); ++i)
      if (start(order[i - 1]) + length(order[i - 1]) > start(order[i]))
        return "segment " + order[i]->name + " overlaps segment " + order[i - 1]->name +
               (in_file ? " in the file" : " in memory");
  }
  return "";
}

// The defined functions of the symbol table, each name a view that ends at
// its NUL. Names are found in one pass over the string table (in order of
// their offsets), so that many symbols naming one long string cost its
// length once, not once each.
void read_functions(const std::string& b, uint64_t symoff, uint64_t nsyms, uint64_t stroff, uint64_t strsize,
                    MachImage& im) {
  Reader r(b);
  if (!nsyms || !r.in_range(symoff, nsyms * 16) || !r.in_range(stroff, strsize)) return;
  struct Entry {
    uint64_t strx, address;
  };
  std::vector<Entry> entries;
  for (uint64_t k = 0; k < nsyms && k < kMaxCount; ++k) {
    const uint64_t e = symoff + k * 16;
    const uint32_t strx = r.at<uint32_t>(e);
    const uint8_t type = r.at<uint8_t>(e + 4);
    if ((type & 0xe0) || (type & 0x0e) != 0x0e || strx >= strsize) continue;
    entries.push_back({strx, r.at<uint64_t>(e + 8)});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& c) { return a.strx < c.strx; });
  const char* table = b.data() + stroff;
  uint64_t nul = 0;  // the first NUL at or after the current name's start, or strsize
  bool scanned = false;
  for (const Entry& e : entries) {
    if (!scanned || nul < e.strx) {
      scanned = true;
      const void* p = std::memchr(table + e.strx, 0, strsize - e.strx);
      nul = p ? static_cast<uint64_t>(static_cast<const char*>(p) - table) : strsize;
    }
    im.functions.push_back({e.address, std::string_view(table + e.strx, nul - e.strx)});
  }
  std::stable_sort(im.functions.begin(), im.functions.end(),
                   [](const MachSymbol& a, const MachSymbol& c) { return a.address < c.address; });
}

std::optional<MachImage> read(std::string&& bytes, std::string& error) {
  if (!looks_like_arm64_macho(bytes)) {
    error = "not an arm64 Mach-O file";
    return std::nullopt;
  }
  MachImage im;
  im.file = std::make_shared<const std::string>(std::move(bytes));
  const std::string& b = *im.file;
  Reader r(b);
  if (r.at<uint32_t>(12) != kFileDylib && r.at<uint32_t>(12) != kFileBundle) {
    error = "not a dynamic library or a bundle";
    return std::nullopt;
  }
  const uint32_t ncmds = r.at<uint32_t>(16), sizeofcmds = r.at<uint32_t>(20);
  if (!r.in_range(32, sizeofcmds) || ncmds > sizeofcmds / 8) {
    error = "load commands beyond the file";
    return std::nullopt;
  }
  std::vector<std::string_view> libraries;
  uint64_t rebase_off = 0, rebase_size = 0, bind_off = 0, bind_size = 0, lazy_off = 0, lazy_size = 0,
           symoff = 0, nsyms = 0, stroff = 0, strsize = 0;
  bool have_dyld_info = false;
  uint64_t at = 32;
  for (uint32_t i = 0; i < ncmds; ++i) {
    const uint32_t cmd = r.at<uint32_t>(at), size = r.at<uint32_t>(at + 4);
    if (size < 8 || at + size > 32 + uint64_t{sizeofcmds}) {
      error = "a load command beyond the others";
      return std::nullopt;
    }
    switch (cmd) {
      case kLcSegment64: {
        MachSegment seg;
        seg.name = std::string(r.cstring(at + 8, at + 24));
        seg.vmaddr = r.at<uint64_t>(at + 24);
        seg.vmsize = r.at<uint64_t>(at + 32);
        seg.fileoff = r.at<uint64_t>(at + 40);
        seg.filesize = r.at<uint64_t>(at + 48);
        seg.initprot = r.at<uint32_t>(at + 60);
        const uint32_t nsects = r.at<uint32_t>(at + 64);
        if (72 + uint64_t{nsects} * 80 > size) {
          error = "the load command of segment " + seg.name + " is too small for its " +
                  std::to_string(nsects) + " sections";
          return std::nullopt;
        }
        if (!r.in_range(seg.fileoff, seg.filesize)) {
          error = "segment " + seg.name + " lies beyond the end of the file";
          return std::nullopt;
        }
        if (seg.filesize > seg.vmsize || seg.vmsize > (1ull << 30) || seg.vmaddr > (1ull << 32)) {
          error = "segment " + seg.name + " out of bounds";
          return std::nullopt;
        }
        for (uint32_t k = 0; k < nsects; ++k) {
          const uint64_t sect = at + 72 + uint64_t{k} * 80;
          const uint64_t addr = r.at<uint64_t>(sect + 32), sz = r.at<uint64_t>(sect + 40);
          const uint32_t flags = r.at<uint32_t>(sect + 64);
          if ((flags & 0xff) != kModInitFuncPointers) continue;
          // The table is data of the file: its entries cannot outnumber the
          // file's words.
          if (addr < seg.vmaddr || sz > seg.filesize || addr - seg.vmaddr > seg.filesize - sz) {
            error = "initialiser table outside the file data of segment " + seg.name;
            return std::nullopt;
          }
          if (addr % 8) {
            error = "initialiser table at " + hex(addr) + " is not 8-byte aligned";
            return std::nullopt;
          }
          if (im.init_pointers.size() + sz / 8 > b.size() / 8) {
            error = "more initialisers than a file of " + std::to_string(b.size()) + " bytes can hold";
            return std::nullopt;
          }
          for (uint64_t p = 0; p + 8 <= sz; p += 8) im.init_pointers.push_back(addr + p);
        }
        im.vm_end = std::max(im.vm_end, seg.vmaddr + seg.vmsize);
        im.segments.push_back(std::move(seg));
        break;
      }
      case kLcDyldInfo:
      case kLcDyldInfoOnly:
        have_dyld_info = true;
        rebase_off = r.at<uint32_t>(at + 8);
        rebase_size = r.at<uint32_t>(at + 12);
        bind_off = r.at<uint32_t>(at + 16);
        bind_size = r.at<uint32_t>(at + 20);
        lazy_off = r.at<uint32_t>(at + 32);
        lazy_size = r.at<uint32_t>(at + 36);
        break;
      case kLcSymtab:
        symoff = r.at<uint32_t>(at + 8);
        nsyms = r.at<uint32_t>(at + 12);
        stroff = r.at<uint32_t>(at + 16);
        strsize = r.at<uint32_t>(at + 20);
        break;
      case kLcLoadDylib:
      case kLcLoadWeakDylib:
      case kLcReexportDylib:
      case kLcLoadUpwardDylib:
      case kLcLazyLoadDylib: {
        const uint32_t name_off = r.at<uint32_t>(at + 8);
        if (name_off >= size) {
          error = "a library name beyond its command";
          return std::nullopt;
        }
        libraries.push_back(short_name(r.cstring(at + name_off, at + size)));
        break;
      }
      case kLcChainedFixups:
        error = "chained fixups are not supported (link for iOS 13 with dyld information)";
        return std::nullopt;
      default: break;
    }
    at += size;
  }
  if (r.bad() || im.segments.empty()) {
    error = "truncated load commands";
    return std::nullopt;
  }
  if (error = overlapping_segments(im.segments); !error.empty()) return std::nullopt;
  if (!have_dyld_info) {
    error = "no dyld information";
    return std::nullopt;
  }
  if (!r.in_range(rebase_off, rebase_size) || !r.in_range(bind_off, bind_size) ||
      !r.in_range(lazy_off, lazy_size)) {
    error = "dyld information beyond the file";
    return std::nullopt;
  }
  im.cpusubtype = r.at<uint32_t>(8);
  const bool threaded = is_threaded_bind_stream(b, bind_off, bind_size);
  if (threaded) {
    if (rebase_size || lazy_size) {
      error = "threaded fixups beside rebase or lazy-bind streams";
      return std::nullopt;
    }
    if (!read_threaded_fixups(b, bind_off, bind_size, libraries, im, error)) return std::nullopt;
  } else if (!read_rebases(b, rebase_off, rebase_size, im, error) ||
             !read_binds(b, bind_off, bind_size, false, libraries, im, error) ||
             !read_binds(b, lazy_off, lazy_size, true, libraries, im, error))
    return std::nullopt;
  read_functions(b, symoff, nsyms, stroff, strsize, im);
  return im;
}

}  // namespace

bool looks_like_arm64_macho(const std::string& bytes) {
  Reader r(bytes);
  return r.at<uint32_t>(0) == kMagic64 && r.at<uint32_t>(4) == kCpuArm64 && !r.bad();
}

std::optional<MachImage> read_macho(std::string bytes, std::string& error) {
  try {
    return read(std::move(bytes), error);
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read the library";
    return std::nullopt;
  }
}

std::string function_at(const MachImage& image, uint64_t address) {
  auto it = std::upper_bound(image.functions.begin(), image.functions.end(), address,
                             [](uint64_t a, const MachSymbol& s) { return a < s.address; });
  if (it == image.functions.begin()) return "";
  return std::string(std::prev(it)->name);
}

}  // namespace sim::emulation
