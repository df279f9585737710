#include "tools/arm64e-fixup/signature.h"

#include <algorithm>
#include <cstring>

#include "tools/arm64e-fixup/threaded.h"

namespace arm64e {
namespace {

constexpr uint32_t kSuperBlob = 0xFADE0CC0, kCodeDirectory = 0xFADE0C02, kSlotCodeDirectory = 0;
constexpr uint8_t kHashSha256 = 2;

uint32_t rotr(uint32_t x, int n) { return x >> n | x << (32 - n); }

uint32_t be32(const std::vector<uint8_t>& b, uint64_t off, uint64_t end) {
  if (off > end || end - off < 4) throw Failure("the code signature ends inside a field");
  return uint32_t(b[off]) << 24 | uint32_t(b[off + 1]) << 16 | uint32_t(b[off + 2]) << 8 | b[off + 3];
}

}  // namespace

std::array<uint8_t, 32> sha256(const uint8_t* data, size_t size) {
  static constexpr uint32_t k[64] = {
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
      0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
      0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
      0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
      0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
      0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
      0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
  uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  auto block = [&](const uint8_t* p) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
      w[i] = uint32_t(p[4 * i]) << 24 | uint32_t(p[4 * i + 1]) << 16 | uint32_t(p[4 * i + 2]) << 8 |
             p[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
      uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
    for (int i = 0; i < 64; ++i) {
      uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
      uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      hh = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += hh;
  };
  size_t full = size / 64 * 64;
  for (size_t i = 0; i < full; i += 64) block(data + i);
  uint8_t tail[128] = {};
  size_t rest = size - full;
  if (rest) std::memcpy(tail, data + full, rest);
  tail[rest] = 0x80;
  size_t tail_size = rest < 56 ? 64 : 128;
  uint64_t bits = static_cast<uint64_t>(size) * 8;
  for (int i = 0; i < 8; ++i) tail[tail_size - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
  block(tail);
  if (tail_size == 128) block(tail + 64);
  std::array<uint8_t, 32> out;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<uint8_t>(h[i] >> (24 - 8 * j));
  return out;
}

SignatureReport check_page_hashes(std::vector<uint8_t>& file, uint32_t offset, uint32_t size, bool rewrite) {
  if (!size) throw Failure("the file has no code signature");
  uint64_t end = static_cast<uint64_t>(offset) + size;
  if (end > file.size()) throw Failure("the code signature lies beyond the file");
  if (be32(file, offset, end) != kSuperBlob) throw Failure("the code signature is not a SuperBlob");
  uint32_t count = be32(file, offset + 8, end);
  if (count > size / 8) throw Failure("the code signature has more blobs than it can hold");
  uint64_t cd = 0;
  for (uint32_t i = 0; i < count; ++i)
    if (be32(file, offset + 12 + 8ull * i, end) == kSlotCodeDirectory)
      cd = offset + static_cast<uint64_t>(be32(file, offset + 16 + 8ull * i, end));
  if (!cd || be32(file, cd, end) != kCodeDirectory) throw Failure("the code signature has no CodeDirectory");
  uint32_t hash_offset = be32(file, cd + 16, end), code_slots = be32(file, cd + 28, end),
           code_limit = be32(file, cd + 32, end);
  if (cd + 40 > end) throw Failure("the CodeDirectory is cut short");
  uint8_t hash_size = file[cd + 36], hash_type = file[cd + 37], page_shift = file[cd + 39];
  if (hash_type != kHashSha256 || hash_size != 32)
    throw Failure("the CodeDirectory's hashes are not SHA-256");
  if (page_shift < 9 || page_shift > 16) throw Failure("the CodeDirectory's page size is out of range");
  if (code_limit > offset) throw Failure("the signed code reaches into the signature");
  uint64_t page = 1ull << page_shift;
  if (code_slots != (code_limit + page - 1) / page) throw Failure("the CodeDirectory's page count is wrong");
  uint64_t hashes = cd + hash_offset;
  if (hashes > end || (end - hashes) / 32 < code_slots)
    throw Failure("the page hashes lie beyond the signature");
  SignatureReport r{code_slots, 0, "sha256"};
  for (uint32_t i = 0; i < code_slots; ++i) {
    uint64_t from = i * page, to = std::min<uint64_t>(from + page, code_limit);
    auto digest = sha256(file.data() + from, to - from);
    uint8_t* slot = file.data() + hashes + 32ull * i;
    if (std::memcmp(slot, digest.data(), 32) != 0) {
      ++r.mismatches;
      if (rewrite) std::memcpy(slot, digest.data(), 32);
    }
  }
  return r;
}

}  // namespace arm64e
