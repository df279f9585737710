// The post-link step: turns the arm64 dylib that ld64.lld links from arm64e
// objects into the arm64e dylib that dyld on iOS 13 and 14 accepts.
//
// - cpusubtype exactly CPU_SUBTYPE_ARM64E (2), with no ABI version bits,
//   which iOS 13's dyld refuses;
// - every rebase, bind and lazy bind becomes a threaded word in place,
//   reached from a BIND_OPCODE_THREADED bind stream; the rebase and lazy-bind
//   streams are emptied and dyld_stub_binder is no longer bound: every
//   import is bound at load, so the lazy pointers are plain non-lazy ones;
// - each pointer that carries a signed-pointer request (see assembly.h) and
//   every initialiser table entry becomes an authenticated fixup (the
//   initialisers IA with discriminator 0, as dyld calls them);
// - the places where the library signs a stack block's invoke are counted
//   (an `xpaci xN` followed by `pacia xN, xM`: the strip and sign of
//   platform::host_block).
// - the code signature's page hashes are recomputed.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/arm64e-fixup/threaded.h"

namespace arm64e {

struct RewriteOptions {
  int requests = -1;  // the requests counted in the assembly; -1: not checked
  // Faulty variants for the tests that show a fault is caught at load.
  bool plain_first_request = false;  // write the first request as a plain rebase
  bool plain_initialisers = false;   // leave initialisers unsigned
  std::optional<Key> request_key;    // sign every request with this key instead
  bool unsigned_blocks = false;      // undo the library's signing of block invokes
};

struct RewriteSummary {
  size_t rebases = 0, auth_rebases = 0, binds = 0, auth_binds = 0, imports = 0, chains = 0;
  size_t requests = 0, initialisers = 0;
  size_t block_signings = 0;  // places in the code that sign a block's invoke
};

// Rewrites the file in place. Throws Failure when anything could be lost:
// a count of requests that differs from `options.requests`, a request on an
// initialiser, a fixup the threaded form cannot hold.
RewriteSummary rewrite(std::vector<uint8_t>& file, const RewriteOptions& options);

}  // namespace arm64e
