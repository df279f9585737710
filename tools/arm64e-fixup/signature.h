// The ad hoc code signature that the linker writes: a SuperBlob holding one
// CodeDirectory whose page hashes cover the file up to the signature. The
// rewrite changes bytes on several pages, so it recomputes them; the
// package check verifies them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace arm64e {

std::array<uint8_t, 32> sha256(const uint8_t* data, size_t size);

struct SignatureReport {
  size_t pages = 0;       // page hashes the CodeDirectory holds
  size_t mismatches = 0;  // of those, how many differ from the file
  std::string hash;       // "sha256"
};

// Reads the CodeDirectory of the signature at [offset, offset + size) and
// compares (or, with `rewrite`, rewrites) its page hashes. Throws Failure on
// a signature it cannot read.
SignatureReport check_page_hashes(std::vector<uint8_t>& file, uint32_t offset, uint32_t size, bool rewrite);

}  // namespace arm64e
