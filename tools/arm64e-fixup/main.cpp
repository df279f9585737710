// arm64e-fixup: the post-link step of the phone's arm64e slice, and a reader
// of what it writes.
//
//   arm64e-fixup prepare-assembly IN.s OUT.s [--min-os 13.0]
//       carries the compiler's signed-pointer requests past the assembler;
//       prints how many it carried
//   arm64e-fixup rewrite IN.dylib OUT.dylib --requests N [fault options]
//       turns ld64.lld's arm64 output into an arm64e dylib for iOS 13 and 14
//   arm64e-fixup describe DYLIB
//       prints the header's subtype, the ordinal table, every threaded fixup
//       (signed ones with their key and the function they point to), the
//       initialisers, and whether the page hashes match
//
// Fault options, for the tests that show the emulator catches each fault:
// --plain-first-request, --plain-initialisers, --request-key ia|ib|da|db,
// --unsigned-blocks.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tools/arm64e-fixup/assembly.h"
#include "tools/arm64e-fixup/macho_file.h"
#include "tools/arm64e-fixup/rewrite.h"
#include "tools/arm64e-fixup/signature.h"

namespace {

using arm64e::Failure;
constexpr size_t kMaxFile = 64u << 20;

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure("cannot read " + path);
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > kMaxFile) throw Failure(path + " is larger than 64 MiB");
  in.seekg(0);
  std::string s(static_cast<size_t>(size), '\0');
  if (!in.read(s.data(), size)) throw Failure("cannot read " + path);
  return s;
}

void write_file(const std::string& path, const void* data, size_t size) {
  std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size)) ||
        !out.flush())
      throw Failure("cannot write " + tmp);
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) throw Failure("cannot rename " + tmp + " to " + path);
}

arm64e::Key key_named(const std::string& s) {
  static const char* names[] = {"ia", "ib", "da", "db"};
  for (int k = 0; k < 4; ++k)
    if (s == names[k]) return static_cast<arm64e::Key>(k);
  throw Failure("a key other than ia, ib, da, db: " + s);
}

// Defined symbols by address, to name what a signed slot points to.
std::map<uint64_t, std::string> symbols(const arm64e::MachFile& m) {
  std::map<uint64_t, std::string> out;
  if (m.symoff > m.bytes.size() || m.nsyms > (m.bytes.size() - m.symoff) / 16) return out;
  if (m.stroff > m.bytes.size() || m.strsize > m.bytes.size() - m.stroff) return out;
  for (uint32_t i = 0; i < m.nsyms; ++i) {
    const uint8_t* n = m.bytes.data() + m.symoff + 16ull * i;
    uint32_t strx;
    uint64_t value;
    std::memcpy(&strx, n, 4);
    std::memcpy(&value, n + 8, 8);
    if ((n[4] & 0xE) != 0xE || strx >= m.strsize) continue;  // N_SECT only
    const char* name = reinterpret_cast<const char*>(m.bytes.data() + m.stroff + strx);
    out.emplace(value, std::string(name, strnlen(name, m.strsize - strx)));
  }
  return out;
}

void describe(const std::string& path) {
  std::string s = read_file(path);
  arm64e::MachFile m = arm64e::MachFile::read(std::vector<uint8_t>(s.begin(), s.end()));
  std::printf("subtype 0x%08" PRIx32 "\n", m.cpusubtype);
  const arm64e::DyldInfo& d = m.dyld_info;
  std::printf("streams rebase %u bind %u lazy-bind %u weak-bind %u\n", d.rebase_size, d.bind_size,
              d.lazy_bind_size, d.weak_bind_size);
  if (d.rebase_size == 0 && d.lazy_bind_size == 0 && d.bind_size > 0) {
    arm64e::ThreadedBinds binds = m.threaded_binds();
    for (size_t i = 0; i < binds.imports.size(); ++i) {
      const arm64e::Import& imp = binds.imports[i];
      std::printf("import %zu %s %s%s\n", i, m.library_name(imp.library).c_str(), imp.symbol.c_str(),
                  imp.weak ? " weak" : "");
    }
    auto names = symbols(m);
    auto inits = m.initialiser_slots();
    for (const arm64e::Fixup& f : m.threaded_fixups(binds)) {
      std::string what;
      if (f.bind) {
        what = (f.auth.on ? "auth-bind " : "bind ") + binds.imports[f.ordinal].symbol;
      } else {
        char t[32];
        std::snprintf(t, sizeof t, "0x%" PRIx64, f.target);
        what = (f.auth.on ? "auth-rebase " : "rebase ") + std::string(t);
      }
      if (f.auth.on) {
        char a[64];
        std::snprintf(a, sizeof a, " %s div %u addr %d", arm64e::key_name(f.auth.key), f.auth.diversity,
                      f.auth.address_diversity);
        what += a;
        auto n = names.find(f.target);
        if (!f.bind && n != names.end()) what += " " + n->second;
      }
      bool init = std::find(inits.begin(), inits.end(), f.address) != inits.end();
      std::printf("%s 0x%08" PRIx64 " %s\n", init ? "initialiser" : "fixup", f.address, what.c_str());
    }
  }
  arm64e::SignatureReport r = arm64e::check_page_hashes(m.bytes, m.signature_off, m.signature_size, false);
  std::printf("signature %zu pages %zu mismatched\n", r.pages, r.mismatches);
}

int run(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "prepare-assembly" && (argc == 4 || (argc == 6 && std::string(argv[4]) == "--min-os"))) {
    auto prepared = arm64e::prepare_assembly(read_file(argv[2]), argc == 6 ? argv[5] : "13.0");
    write_file(argv[3], prepared.text.data(), prepared.text.size());
    std::printf("%d\n", prepared.requests);
    return 0;
  }
  if (command == "rewrite" && argc >= 4) {
    arm64e::RewriteOptions options;
    for (int i = 4; i < argc; ++i) {
      std::string a = argv[i];
      if (a == "--requests" && i + 1 < argc) options.requests = std::stoi(argv[++i]);
      else if (a == "--plain-first-request") options.plain_first_request = true;
      else if (a == "--plain-initialisers") options.plain_initialisers = true;
      else if (a == "--unsigned-blocks") options.unsigned_blocks = true;
      else if (a == "--request-key" && i + 1 < argc) options.request_key = key_named(argv[++i]);
      else throw Failure("unknown option " + a);
    }
    std::string in = read_file(argv[2]);
    std::vector<uint8_t> file(in.begin(), in.end());
    arm64e::RewriteSummary s = arm64e::rewrite(file, options);
    write_file(argv[3], file.data(), file.size());
    std::printf(
        "%zu imports; %zu rebases, %zu signed; %zu binds, %zu signed; %zu chains; %zu requests; "
        "%zu initialisers; %zu block signings\n",
        s.imports, s.rebases + s.auth_rebases, s.auth_rebases, s.binds + s.auth_binds, s.auth_binds, s.chains,
        s.requests, s.initialisers, s.block_signings);
    return 0;
  }
  if (command == "describe" && argc == 3) {
    describe(argv[2]);
    return 0;
  }
  std::fprintf(stderr,
               "usage: arm64e-fixup prepare-assembly IN.s OUT.s [--min-os 13.0]\n"
               "       arm64e-fixup rewrite IN.dylib OUT.dylib [--requests N] [--plain-first-request]\n"
               "                    [--plain-initialisers] [--request-key ia|ib|da|db] [--unsigned-blocks]\n"
               "       arm64e-fixup describe DYLIB\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "arm64e-fixup: %s\n", e.what());
    return 1;
  }
}
