#include "sim/emulation/pointer_auth.h"

#include <sys/mman.h>
#include <unicorn/unicorn.h>

#include <cstring>
#include <random>

#include "sim/emulation/emulated_library.h"

namespace sim::emulation {
namespace {

// PACIA/PACIB/PACDA/PACDB x0, x1 and AUTIA/AUTIB/AUTDA/AUTDB x0, x1.
constexpr uint32_t kPac[4] = {0xdac10020, 0xdac10420, 0xdac10820, 0xdac10c20};
constexpr uint32_t kAut[4] = {0xdac11020, 0xdac11420, 0xdac11820, 0xdac11c20};
constexpr uint32_t kRet = 0xd65f03c0;
constexpr uint32_t kMovX16X0 = 0xaa0003f0, kBraazX16 = 0xd61f0a1f;
// mrs x2, sctlr_el1; orr x2, x2, x0; msr sctlr_el1, x2; ret
constexpr uint32_t kEnable[4] = {0xd5381002, 0xaa000042, 0xd5181002, kRet};
// SCTLR_EL1: EnIA (31), EnIB (30), EnDA (27), EnDB (13).
constexpr uint64_t kSctlrEnable = 1ull << 31 | 1ull << 30 | 1ull << 27 | 1ull << 13;

bool write_system_register(uc_struct* uc, uint32_t op0, uint32_t op1, uint32_t crn, uint32_t crm,
                           uint32_t op2, uint64_t value) {
  uc_arm64_cp_reg r{crn, crm, op0, op1, op2, value};
  return uc_reg_write(uc, UC_ARM64_REG_CP_REG, &r) == UC_ERR_OK;
}

// Two instructions into the 8 bytes of a new stub slot.
uint64_t place(EmulatedLibrary& lib, uint32_t first, uint32_t second) {
  const uint64_t at = lib.add_stub(nullptr, nullptr);
  reinterpret_cast<uint32_t*>(at)[0] = first;
  reinterpret_cast<uint32_t*>(at)[1] = second;
  return at;
}

}  // namespace

void* PointerAuth::reserve_region(size_t bytes) {
  constexpr uint64_t kFrom = 0x10000000, kTo = 0x7fff0000, kStep = 0x4000000;
  for (uint64_t at = kFrom; at + bytes <= kTo; at += kStep) {
    void* p = mmap(reinterpret_cast<void*>(at), bytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
    if (p == reinterpret_cast<void*>(at)) return p;
    if (p != MAP_FAILED) munmap(p, bytes);  // a kernel that took the address as a mere hint
  }
  return MAP_FAILED;
}

const char* PointerAuth::key_name(PacKey k) {
  static const char* names[] = {"IA", "IB", "DA", "DB"};
  return names[static_cast<int>(k)];
}

bool PointerAuth::choose_cpu(uc_struct* uc, std::string& error) {
  if (uc_ctl_set_cpu_model(uc, UC_CPU_ARM64_MAX) != UC_ERR_OK) {
    error = "the emulator has no CPU model with pointer authentication";
    return false;
  }
  return true;
}

bool PointerAuth::enable(EmulatedLibrary& lib, uc_struct* uc, std::string& error) {
  lib_ = &lib;
  // SCR_EL3: NS, RW, APK, API; HCR_EL2: RW, APK, API. Without them the PAC
  // instructions trap to a level that is not there.
  const bool registers =
      write_system_register(uc, 3, 6, 1, 1, 0, 1ull | 1ull << 10 | 1ull << 16 | 1ull << 17) &&
      write_system_register(uc, 3, 4, 1, 1, 0, 1ull << 31 | 1ull << 40 | 1ull << 41);
  // AP{IA,IB,DA,DB}Key{Lo,Hi}_EL1: S3_0_C2_C1_{0..3} and S3_0_C2_C2_{0..3}.
  std::random_device random;
  std::mt19937_64 keys((uint64_t{random()} << 32) ^ random());
  bool keyed = true;
  for (uint32_t crm = 1; crm <= 2; ++crm)
    for (uint32_t op2 = 0; op2 < 4; ++op2)
      keyed = keyed && write_system_register(uc, 3, 0, 2, crm, op2, keys());
  if (!registers || !keyed) {
    error = "the emulator refused the pointer-authentication registers";
    return false;
  }
  for (int k = 0; k < 4; ++k) {
    sign_[k] = place(lib, kPac[k], kRet);
    auth_[k] = place(lib, kAut[k], kRet);
  }
  branch_ = place(lib, kMovX16X0, kBraazX16);
  const uint64_t enable = place(lib, kEnable[0], kEnable[1]);
  place(lib, kEnable[2], kEnable[3]);
  run(enable, kSctlrEnable, 0);
  // The enable bits took: a signature changes the value.
  const uint64_t probe = lib.return_address();
  if (sign(PacKey::IA, probe, 0) == probe) {
    error = "pointer authentication did not switch on in the emulator";
    return false;
  }
  return true;
}

uint64_t PointerAuth::run(uint64_t helper, uint64_t x0, uint64_t x1) {
  uint64_t result = 0;
  void* args[] = {&x0, &x1};
  lib_->call_guest(helper, lib_->signature("QQQ"), args, &result);
  return result;
}

uint64_t PointerAuth::sign(PacKey key, uint64_t value, uint64_t discriminator) {
  return run(sign_[static_cast<int>(key)], value, discriminator);
}

bool PointerAuth::authenticate(PacKey key, uint64_t value, uint64_t discriminator, uint64_t& plain) {
  // AUTIx yields the bare address when the signature holds, and an address
  // with error bits in its top when it does not.
  const uint64_t r = run(auth_[static_cast<int>(key)], value, discriminator);
  if (r != strip(value)) return false;
  plain = r;
  return true;
}

}  // namespace sim::emulation
