// Pointer authentication for the arm64e slice, enforced as an A12 enforces
// it. Unicorn 2.0.1 carries ARMv8.3 PAC only in its "max" CPU model, with
// SCR_EL3 and HCR_EL2's API/APK bits set (written as system registers from
// the host) and SCTLR_EL1's EnIA/EnIB/EnDA/EnDB set by an MSR that the guest
// itself runs: a host-side write of SCTLR_EL1 leaves the PAC instructions as
// no-ops. The four keys are drawn at random for each process, so a value
// signed in one process means nothing in the next.
//
// Every signature and every authentication is computed by the guest CPU, by
// small guest helpers (PACIA ... AUTDB) placed among the library's host
// stubs: the loader signs the slots dyld signs, and the boundary checks
// the code pointers the library hands over, with the same algorithm and
// keys as the library's own code uses.
#pragma once

#include <cstdint>
#include <string>

#include "sim/emulation/threaded_fixups.h"

struct uc_struct;

namespace sim::emulation {

class EmulatedLibrary;

class PointerAuth {
 public:
  // Chooses the CPU model; must come straight after uc_open.
  static bool choose_cpu(uc_struct* uc, std::string& error);
  // Sets the keys and the enable bits and places the helpers (which need
  // the library's stubs to exist).
  bool enable(EmulatedLibrary& lib, uc_struct* uc, std::string& error);

  // A value signed with `key` and `discriminator`.
  uint64_t sign(PacKey key, uint64_t value, uint64_t discriminator);
  // The value without its signature if the signature holds; else nothing
  // is written to `plain` and the result is false.
  bool authenticate(PacKey key, uint64_t value, uint64_t discriminator, uint64_t& plain);
  // A guest helper that branches to x0 through BRAAZ, as dyld calls an
  // initialiser.
  uint64_t authenticating_branch() const { return branch_; }

  // The address without its pointer-authentication code (bits 48-63 of a
  // user-space pointer on a 48-bit address space).
  static uint64_t strip(uint64_t v) { return v & 0xffffffffffffull; }
  static const char* key_name(PacKey k);

  // With authentication on, Unicorn's "max" CPU faults on any guest address
  // of 2^44 or more (its physical address size), so the guest's region,
  // which host and guest share at the same addresses, is placed below it:
  // in the low 2 GiB, which are free on Linux x86-64 and outside
  // AddressSanitizer's shadow. MAP_FAILED when no place is free.
  static void* reserve_region(size_t bytes);

 private:
  uint64_t run(uint64_t helper, uint64_t x0, uint64_t x1);
  EmulatedLibrary* lib_ = nullptr;
  uint64_t sign_[4] = {}, auth_[4] = {}, branch_ = 0;
};

}  // namespace sim::emulation
