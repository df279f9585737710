// The arm64e slice's load and boundary, as dyld and the platform's runtime
// do them on an A12: threaded fixups slid, bound and signed with the
// process's keys; code pointers authenticated where the library hands them
// to the host and signed where the host hands them back.
#include <cstdio>

#include "sim/emulation/emulated_library.h"

namespace sim::emulation {
bool EmulatedLibrary::apply_threaded_fixups(std::string& error) {
  if (!pac_) {
    error = "threaded fixups in a library that is not arm64e";
    return false;
  }
  std::vector<uint64_t> imports(image_.binds.size());
  for (size_t k = 0; k < imports.size(); ++k)
    if (!import_value(image_.binds[k], imports[k], error)) return false;
  for (const ThreadedFixup& f : image_.threaded) {
    uint64_t* slot = reinterpret_cast<uint64_t*>(slide_ + f.address);
    uint64_t value = f.bind ? imports[f.import] + static_cast<uint64_t>(f.addend) : slide_ + f.target;
    if (f.auth) value = pac_->sign(f.key, value, fixup_discriminator(f, reinterpret_cast<uint64_t>(slot)));
    *slot = value;
  }
  return true;
}

uint64_t EmulatedLibrary::code_from_guest(uint64_t value, uint64_t discriminator, const std::string& what) {
  if (!pac_) return value;
  uint64_t plain = 0;
  if (!pac_->authenticate(PacKey::IA, value, discriminator, plain))
    crash("pointer authentication failed: " + what + " is " + hex(value) +
          ", not a code pointer signed IA with discriminator " + hex(discriminator) +
          where(PointerAuth::strip(value)) + "; passed from" + where(reg_x(30)));
  return plain;
}

std::string EmulatedLibrary::failed_branch(uint64_t target) {
  const uint64_t from = reg_x(30);
  const std::string caller = where(from);
  return "pointer authentication failed: a branch to " + hex(target) + where(PointerAuth::strip(target)) +
         (caller.empty() ? std::string(" from the loader") : " returning to " + hex(from) + caller);
}

uint64_t EmulatedLibrary::code_for_guest(uint64_t address) {
  return pac_ ? pac_->sign(PacKey::IA, address, 0) : address;
}

}  // namespace sim::emulation
