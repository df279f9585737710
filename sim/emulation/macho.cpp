#include "sim/emulation/macho.h"

#include <algorithm>
#include <cstring>

namespace sim::emulation {
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
  std::string cstring(uint64_t off, uint64_t limit) {
    std::string s;
    while (off < limit && off < b_.size() && b_[off]) s += b_[off++];
    return s;
  }
  bool bad() const { return bad_; }

 private:
  const std::string& b_;
  bool bad_ = false;
};

// A cursor over one opcode stream.
struct Stream {
  const std::string& b;
  uint64_t at, end;
  bool bad = false;
  bool more() const { return at < end; }
  uint8_t byte() {
    if (at >= end) {
      bad = true;
      return 0;
    }
    return static_cast<uint8_t>(b[at++]);
  }
  uint64_t uleb() {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      uint8_t c = byte();
      if (bad || shift > 63) {
        bad = true;
        return 0;
      }
      v |= static_cast<uint64_t>(c & 0x7f) << shift;
      if (!(c & 0x80)) return v;
    }
  }
  int64_t sleb() {
    int64_t v = 0;
    int shift = 0;
    uint8_t c = 0;
    do {
      c = byte();
      if (bad || shift > 63) {
        bad = true;
        return 0;
      }
      v |= static_cast<int64_t>(c & 0x7f) << shift;
      shift += 7;
    } while (c & 0x80);
    if (shift < 64 && (c & 0x40)) v |= -(int64_t{1} << shift);
    return v;
  }
  std::string cstring() {
    std::string s;
    for (uint8_t c = byte(); !bad && c; c = byte()) s += static_cast<char>(c);
    return s;
  }
};

// libobjc.A.dylib -> libobjc, CoreFoundation -> CoreFoundation.
std::string short_name(const std::string& path) {
  std::string n = path.substr(path.rfind('/') + 1);
  if (n.size() > 6 && n.ends_with(".dylib")) n.resize(n.size() - 6);
  if (size_t dot = n.find('.'); dot != std::string::npos) n.resize(dot);
  return n;
}

bool segment_address(const MachImage& im, uint64_t seg, uint64_t off, uint64_t& out) {
  if (seg >= im.segments.size() || off >= im.segments[seg].vmsize) return false;
  out = im.segments[seg].vmaddr + off;
  return true;
}

bool read_rebases(const std::string& b, uint64_t off, uint64_t size, MachImage& im) {
  Stream s{b, off, off + size};
  uint64_t seg = 0, addr_off = 0;
  bool have_seg = false;
  auto rebase = [&]() {
    uint64_t a;
    if (!have_seg || !segment_address(im, seg, addr_off, a) || im.rebases.size() >= kMaxCount) return false;
    im.rebases.push_back(a);
    addr_off += 8;
    return true;
  };
  while (s.more() && !s.bad) {
    uint8_t c = s.byte();
    uint8_t op = c & 0xf0, imm = c & 0x0f;
    switch (op) {
      case 0x00: return !s.bad;
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
        uint64_t n = s.uleb();
        if (n > kMaxCount) return false;
        for (uint64_t i = 0; i < n; ++i)
          if (!rebase()) return false;
        break;
      }
      case 0x70:
        if (!rebase()) return false;
        addr_off += s.uleb();
        break;
      case 0x80: {
        uint64_t n = s.uleb(), skip = s.uleb();
        if (n > kMaxCount) return false;
        for (uint64_t i = 0; i < n; ++i) {
          if (!rebase()) return false;
          addr_off += skip;
        }
        break;
      }
      default: return false;
    }
  }
  return !s.bad;
}

bool read_binds(const std::string& b, uint64_t off, uint64_t size, bool lazy,
                const std::vector<std::string>& libraries, MachImage& im, std::string& error) {
  Stream s{b, off, off + size};
  uint64_t seg = 0, addr_off = 0;
  bool have_seg = false, weak = false;
  int64_t ordinal = 0, addend = 0;
  std::string symbol;
  auto bind = [&]() {
    uint64_t a;
    if (!have_seg || !segment_address(im, seg, addr_off, a) || im.binds.size() >= kMaxCount) {
      error = "a bind outside the image";
      return false;
    }
    if (ordinal < 1 || static_cast<uint64_t>(ordinal) > libraries.size()) {
      error = "a bind of " + symbol + " to no library (ordinal " + std::to_string(ordinal) + ")";
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
        if (!lazy) return !s.bad;
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
        uint64_t n = s.uleb(), skip = s.uleb();
        if (n > kMaxCount) return false;
        for (uint64_t i = 0; i < n; ++i) {
          if (!bind()) return false;
          addr_off += skip;
        }
        break;
      }
      default: error = "an unknown bind opcode"; return false;
    }
  }
  if (s.bad) error = "a truncated bind stream";
  return !s.bad;
}

}  // namespace

bool looks_like_arm64_macho(const std::string& bytes) {
  Reader r(bytes);
  return r.at<uint32_t>(0) == kMagic64 && r.at<uint32_t>(4) == kCpuArm64 && !r.bad();
}

std::optional<MachImage> read_macho(const std::string& b, std::string& error) {
  Reader r(b);
  if (!looks_like_arm64_macho(b)) {
    error = "not an arm64 Mach-O file";
    return std::nullopt;
  }
  if (r.at<uint32_t>(12) != kFileDylib && r.at<uint32_t>(12) != kFileBundle) {
    error = "not a dynamic library or a bundle";
    return std::nullopt;
  }
  const uint32_t ncmds = r.at<uint32_t>(16), sizeofcmds = r.at<uint32_t>(20);
  if (!r.in_range(32, sizeofcmds) || ncmds > sizeofcmds / 8) {
    error = "load commands beyond the file";
    return std::nullopt;
  }
  MachImage im;
  std::vector<std::string> libraries;
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
        char name[17] = {};
        for (int k = 0; k < 16; ++k) name[k] = static_cast<char>(r.at<uint8_t>(at + 8 + k));
        seg.name = name;
        seg.vmaddr = r.at<uint64_t>(at + 24);
        seg.vmsize = r.at<uint64_t>(at + 32);
        seg.fileoff = r.at<uint64_t>(at + 40);
        seg.filesize = r.at<uint64_t>(at + 48);
        seg.initprot = r.at<uint32_t>(at + 60);
        const uint32_t nsects = r.at<uint32_t>(at + 64);
        if (seg.filesize > seg.vmsize || !r.in_range(seg.fileoff, seg.filesize) ||
            seg.vmsize > (1ull << 30) || seg.vmaddr > (1ull << 32) || 72 + uint64_t{nsects} * 80 > size) {
          error = "segment " + seg.name + " out of bounds";
          return std::nullopt;
        }
        for (uint32_t k = 0; k < nsects; ++k) {
          const uint64_t sect = at + 72 + uint64_t{k} * 80;
          const uint64_t addr = r.at<uint64_t>(sect + 32), sz = r.at<uint64_t>(sect + 40);
          const uint32_t flags = r.at<uint32_t>(sect + 64);
          if ((flags & 0xff) == kModInitFuncPointers) {
            if (addr < seg.vmaddr || sz > seg.vmsize || addr - seg.vmaddr > seg.vmsize - sz) {
              error = "initialiser table outside its segment";
              return std::nullopt;
            }
            for (uint64_t p = 0; p + 8 <= sz; p += 8) im.init_pointers.push_back(addr + p);
          }
        }
        im.vm_end = std::max(im.vm_end, seg.vmaddr + seg.vmsize);
        im.segments.push_back(seg);
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
  } else if (!read_rebases(b, rebase_off, rebase_size, im)) {
    error = "a damaged rebase stream";
    return std::nullopt;
  }
  if (!threaded && (!read_binds(b, bind_off, bind_size, false, libraries, im, error) ||
                    !read_binds(b, lazy_off, lazy_size, true, libraries, im, error)))
    return std::nullopt;
  if (nsyms && r.in_range(symoff, nsyms * 16) && r.in_range(stroff, strsize)) {
    for (uint64_t k = 0; k < nsyms && k < kMaxCount; ++k) {
      const uint64_t e = symoff + k * 16;
      const uint32_t strx = r.at<uint32_t>(e);
      const uint8_t type = r.at<uint8_t>(e + 4);
      if ((type & 0xe0) || (type & 0x0e) != 0x0e || strx >= strsize) continue;
      im.functions.push_back({r.at<uint64_t>(e + 8), r.cstring(stroff + strx, stroff + strsize)});
    }
    std::sort(im.functions.begin(), im.functions.end(),
              [](const MachSymbol& a, const MachSymbol& c) { return a.address < c.address; });
  }
  return im;
}

std::string function_at(const MachImage& image, uint64_t address) {
  auto it = std::upper_bound(image.functions.begin(), image.functions.end(), address,
                             [](uint64_t a, const MachSymbol& s) { return a < s.address; });
  if (it == image.functions.begin()) return "";
  return std::prev(it)->name;
}

}  // namespace sim::emulation
