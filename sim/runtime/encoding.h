// Type-encoding comparison for checked typed sends.
#pragma once

#include <string>
#include <string_view>

namespace sim {

// The encoding with frame offsets and type qualifiers removed, a block
// ("@?") as an object and a class ("#") as an object: what a caller's C++
// types must match.
std::string normalize_encoding(std::string_view types);

// Whether a typed send with caller types `caller` may call a method whose
// normalized encoding is `method_normalized`.
bool encodings_agree(const std::string& method_normalized, const char* caller);

}  // namespace sim
