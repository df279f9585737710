#include "tools/arm64e-fixup/rewrite.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "tools/arm64e-fixup/macho_file.h"
#include "tools/arm64e-fixup/signature.h"

namespace arm64e {
namespace {

constexpr uint32_t kSectionType = 0xFF, kLazySymbolPointers = 0x7, kNonLazySymbolPointers = 0x6;
constexpr uint64_t kPage = 4096;

// A request folded into a stored value by prepare_assembly: the fields of an
// authenticated word in the top 32 bits, bits 32-62 otherwise unused.
bool is_request(uint64_t v) { return v >> 63; }
Auth request_auth(uint64_t v) {
  return Auth{true, static_cast<Key>((v >> 49) & 3), bool((v >> 48) & 1), static_cast<uint16_t>(v >> 32)};
}
uint64_t request_value(uint64_t v) {
  if ((v >> 51) & 0xFFF) throw Failure("a signed-pointer request whose value has stray high bits");
  return v & 0xFFFFFFFF;
}

// Finds platform::host_block's `xpaci xN; pacia xN, xM` pairs in the code;
// with `remove`, the pacia becomes a nop, leaving the invoke unsigned.
size_t block_signings(MachFile& m, bool remove) {
  const Section* text = m.section("__TEXT", "__text");
  if (!text) throw Failure("the linked file has no __TEXT,__text");
  size_t found = 0;
  for (uint64_t a = text->addr; a + 8 <= text->addr + text->size; a += 4) {
    uint32_t first, second;
    size_t off = m.file_offset(a, 8);
    std::memcpy(&first, m.bytes.data() + off, 4);
    std::memcpy(&second, m.bytes.data() + off + 4, 4);
    bool xpaci = (first & ~0x1Fu) == 0xDAC143E0, pacia = (second & ~0x3FFu) == 0xDAC10000;
    if (!xpaci || !pacia || (first & 0x1F) != (second & 0x1F)) continue;
    ++found;
    if (remove) {
      uint32_t nop = 0xD503201F;
      std::memcpy(m.bytes.data() + off + 4, &nop, 4);
    }
  }
  return found;
}

}  // namespace

RewriteSummary rewrite(std::vector<uint8_t>& file, const RewriteOptions& options) {
  MachFile m = MachFile::read(std::move(file));
  if (m.cpusubtype != kSubtypeArm64All) throw Failure("the linked file is not a plain arm64 dylib");
  if (m.dyld_info.weak_bind_size)
    throw Failure("the linked file has weak binds, which the rewrite does not carry");
  RewriteSummary summary;

  std::map<uint64_t, Fixup> fixups;
  for (uint64_t address : m.classic_rebases()) {
    uint64_t v = m.word(address);
    Fixup f;
    f.address = address;
    if (is_request(v)) {
      f.auth = request_auth(v);
      f.target = request_value(v);
      ++summary.requests;
    } else {
      f.target = v;
    }
    fixups[address] = f;
  }
  std::vector<Import> imports;
  std::map<std::pair<std::string, int>, uint32_t> ordinal_of;
  std::vector<uint64_t> dropped;
  for (const ClassicBind& b : m.classic_binds()) {
    // The lazy binder itself is never called once every import is bound at
    // load: its pointer is left empty.
    if (b.import.symbol == "dyld_stub_binder") {
      dropped.push_back(b.address);
      fixups.erase(b.address);
      continue;
    }
    Fixup f;
    f.address = b.address;
    f.bind = true;
    Import imp = b.import;
    if (is_request(static_cast<uint64_t>(imp.addend))) {
      f.auth = request_auth(static_cast<uint64_t>(imp.addend));
      if (request_value(static_cast<uint64_t>(imp.addend)))
        throw Failure("a signed-pointer request to " + imp.symbol + " with an addend");
      imp.addend = 0;
      ++summary.requests;
    } else {
      f.addend = imp.addend;
      imp.addend = 0;
    }
    auto key = std::make_pair(imp.symbol, imp.library);
    auto [it, added] = ordinal_of.emplace(key, static_cast<uint32_t>(imports.size()));
    if (added) imports.push_back(imp);
    f.ordinal = it->second;
    fixups[b.address] = f;
  }

  if (options.requests >= 0 && summary.requests != static_cast<size_t>(options.requests))
    throw Failure("the assembly asked for " + std::to_string(options.requests) +
                  " signed pointers, the linked file holds " + std::to_string(summary.requests) +
                  ": a request was lost or one was made where none was asked");

  std::vector<uint64_t> init_slots = m.initialiser_slots();
  for (uint64_t slot : init_slots) {
    auto it = fixups.find(slot);
    if (it == fixups.end() || it->second.bind) throw Failure("an initialiser slot that is not a rebase");
    if (it->second.auth.on) throw Failure("an initialiser slot that already carries a signing request");
    if (!options.plain_initialisers) it->second.auth = Auth{true, Key::IA, false, 0};
    ++summary.initialisers;
  }
  bool first = true;
  for (auto& [address, f] : fixups) {
    if (!f.auth.on || std::count(init_slots.begin(), init_slots.end(), address)) continue;
    if (options.plain_first_request && first) f.auth = Auth{};
    else if (options.request_key) f.auth.key = *options.request_key;
    first = false;
  }

  // Chains: one per 4 KiB page of each segment, in address order.
  ThreadedBinds threaded{imports, {}};
  std::vector<Fixup> ordered;
  for (auto& [address, f] : fixups) ordered.push_back(f);
  for (size_t i = 0; i < ordered.size(); ++i) {
    const Fixup& f = ordered[i];
    if (f.address % 8) throw Failure("a pointer that is not 8-byte aligned");
    size_t seg = m.segment_of(f.address);
    uint64_t page = (f.address - m.segments[seg].vmaddr) / kPage;
    bool starts = i == 0 || m.segment_of(ordered[i - 1].address) != seg ||
                  (ordered[i - 1].address - m.segments[seg].vmaddr) / kPage != page;
    if (starts) threaded.starts.push_back({static_cast<uint32_t>(seg), f.address - m.segments[seg].vmaddr});
    bool last = i + 1 == ordered.size() || m.segment_of(ordered[i + 1].address) != seg ||
                (ordered[i + 1].address - m.segments[seg].vmaddr) / kPage != page;
    uint32_t next = last ? 0 : static_cast<uint32_t>((ordered[i + 1].address - f.address) / 8);
    m.set_word(f.address, encode_word(f, next));
    (f.bind ? (f.auth.on ? summary.auth_binds : summary.binds)
            : (f.auth.on ? summary.auth_rebases : summary.rebases))++;
  }
  for (uint64_t address : dropped) m.set_word(address, 0);
  summary.imports = imports.size();
  summary.chains = threaded.starts.size();

  // The new bind stream takes the place of the three old streams, which the
  // linker lays out one after another.
  DyldInfo& d = m.dyld_info;
  struct Range {
    uint32_t off, size;
  };
  std::vector<Range> old;
  for (Range r : {Range{d.rebase_off, d.rebase_size}, Range{d.bind_off, d.bind_size},
                  Range{d.lazy_bind_off, d.lazy_bind_size}})
    if (r.size) old.push_back(r);
  if (old.empty()) throw Failure("the linked file has no fixups");
  std::sort(old.begin(), old.end(), [](Range a, Range b) { return a.off < b.off; });
  for (size_t i = 1; i < old.size(); ++i)
    if (old[i].off != old[i - 1].off + old[i - 1].size)
      throw Failure("the linker's rebase, bind and lazy-bind streams are not adjacent");
  uint32_t area = old.front().off, area_size = old.back().off + old.back().size - area;
  if (d.export_size && d.export_off < area + area_size && d.export_off + d.export_size > area)
    throw Failure("the export trie overlaps the fixup streams");
  std::vector<uint8_t> stream = write_bind_stream(threaded);
  while (stream.size() % 8) stream.push_back(0);
  if (stream.size() > area_size)
    throw Failure("the threaded bind stream (" + std::to_string(stream.size()) +
                  " bytes) is larger than the " + std::to_string(area_size) +
                  " bytes the linker's streams took");
  std::memset(m.bytes.data() + area, 0, area_size);
  std::memcpy(m.bytes.data() + area, stream.data(), stream.size());
  d.rebase_off = d.rebase_size = d.lazy_bind_off = d.lazy_bind_size = 0;
  d.bind_off = area;
  d.bind_size = static_cast<uint32_t>(stream.size());
  std::memcpy(m.bytes.data() + d.command_offset + 8, &d.rebase_off, 40);

  // The lazy pointers are bound at load now.
  for (const Section& s : m.sections)
    if ((s.flags & kSectionType) == kLazySymbolPointers) {
      uint32_t flags = (s.flags & ~kSectionType) | kNonLazySymbolPointers;
      std::memcpy(m.bytes.data() + s.header_offset + 64, &flags, 4);
    }

  summary.block_signings = block_signings(m, options.unsigned_blocks);
  if (options.unsigned_blocks && !summary.block_signings) throw Failure("no block signing to remove");

  uint32_t subtype = kSubtypeArm64e;
  std::memcpy(m.bytes.data() + 8, &subtype, 4);
  check_page_hashes(m.bytes, m.signature_off, m.signature_size, true);

  // Read back what was written: the same fixups, the same imports.
  MachFile back = MachFile::read(m.bytes);
  ThreadedBinds read = back.threaded_binds();
  std::vector<Fixup> decoded = back.threaded_fixups(read);
  if (read.imports != imports || decoded != ordered)
    throw Failure("the threaded fixups do not read back as written");
  file = std::move(m.bytes);
  return summary;
}

}  // namespace arm64e
