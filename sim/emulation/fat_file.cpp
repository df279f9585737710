#include "sim/emulation/fat_file.h"

#include <cstdint>

#include "sim/emulation/macho.h"

namespace sim::emulation {
namespace {

constexpr uint32_t kFatMagic = 0xcafebabe, kCpuArm64 = 0x0100000c;
constexpr uint32_t kMaxSlices = 16;

uint32_t big_endian32(const std::string& b, size_t at) {
  return uint32_t{static_cast<uint8_t>(b[at])} << 24 | uint32_t{static_cast<uint8_t>(b[at + 1])} << 16 |
         uint32_t{static_cast<uint8_t>(b[at + 2])} << 8 | static_cast<uint8_t>(b[at + 3]);
}

const char* arch_of(uint32_t cputype, uint32_t cpusubtype) {
  if (cputype != kCpuArm64) return "";
  // The top byte holds capability bits (the arm64e ABI version).
  switch (cpusubtype & 0x00ffffff) {
    case 0: return "arm64";
    case kCpuSubtypeArm64e: return "arm64e";
    default: return "";
  }
}

}  // namespace

bool looks_like_device_library(const std::string& bytes) {
  return looks_like_arm64_macho(bytes) || (bytes.size() >= 8 && big_endian32(bytes, 0) == kFatMagic);
}

bool select_slice(std::string& bytes, const std::string& arch, std::string& error) {
  if (!arch.empty() && arch != "arm64" && arch != "arm64e") {
    error = "no architecture " + arch + " (arm64 or arm64e)";
    return false;
  }
  if (bytes.size() < 8 || big_endian32(bytes, 0) != kFatMagic) {
    if (arch.empty() || !looks_like_arm64_macho(bytes)) return true;
    const char* kind =
        arch_of(kCpuArm64, static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8 |
                               static_cast<uint8_t>(bytes[10]) << 16 |
                               uint32_t{static_cast<uint8_t>(bytes[11])} << 24);
    if (arch == kind) return true;
    error =
        "a thin " + std::string(*kind ? kind : "arm64 (other subtype)") + " file has no " + arch + " slice";
    return false;
  }
  const uint32_t count = big_endian32(bytes, 4);
  if (count == 0 || count > kMaxSlices || bytes.size() < 8 + uint64_t{count} * 20) {
    error = "a fat file with a damaged header";
    return false;
  }
  std::string want = arch;
  if (want.empty()) {
    want = "arm64";
    for (uint32_t k = 0; k < count; ++k)
      if (std::string(arch_of(big_endian32(bytes, 8 + k * 20), big_endian32(bytes, 12 + k * 20))) == "arm64e")
        want = "arm64e";
  }
  for (uint32_t k = 0; k < count; ++k) {
    const size_t at = 8 + k * 20;
    if (want != arch_of(big_endian32(bytes, at), big_endian32(bytes, at + 4))) continue;
    const uint64_t offset = big_endian32(bytes, at + 8), size = big_endian32(bytes, at + 12);
    if (offset > bytes.size() || size > bytes.size() - offset) {
      error = "the " + want + " slice lies beyond the fat file";
      return false;
    }
    bytes = bytes.substr(offset, size);
    return true;
  }
  error = "the fat file has no " + want + " slice";
  return false;
}

}  // namespace sim::emulation
