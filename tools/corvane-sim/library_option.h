// The --library option of run and preview: which library the simulated
// process loads. Checked before anything runs, so a wrong path is a usage
// error rather than a crash of the process at `load`.
#pragma once

#include <optional>
#include <string>

namespace corvane::cli {

// Nothing when `path` is empty (the native module this build made), the
// phone's dylib (thin arm64, or a fat file with the slice `arch` asks for),
// or a native shared object; else the reason.
std::optional<std::string> check_library_option(const std::string& path, const std::string& arch = "");

}  // namespace corvane::cli
