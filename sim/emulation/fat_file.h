// Fat (universal) Mach-O files: the phone's Corvane13.dylib holds an arm64
// slice (A9-A11) and an arm64e slice (A12 and later). The emulation runs one
// of them.
#pragma once

#include <string>

namespace sim::emulation {

// Whether the bytes start like the phone's library: a thin arm64 Mach-O
// file or a fat file.
bool looks_like_device_library(const std::string& bytes);

// Replaces a fat file's bytes by those of the slice `arch` names ("arm64",
// "arm64e", or "" for arm64e when there is one, else arm64). A thin file is
// kept when `arch` is empty or names its kind. Else false with `error` set.
bool select_slice(std::string& bytes, const std::string& arch, std::string& error);

}  // namespace sim::emulation
