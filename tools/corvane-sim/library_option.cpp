#include "tools/corvane-sim/library_option.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "sim/emulation/fat_file.h"
#include "sim/emulation/macho.h"
#include "sim/io/whole_file.h"

namespace corvane::cli {

namespace {
constexpr std::size_t kMaxLibraryBytes = 64u << 20;
}

std::optional<std::string> check_library_option(const std::string& path, const std::string& arch) {
  if (path.empty()) return std::nullopt;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 && errno == ENOENT)
    return "cannot use library " + path + ": no such file";
  std::string bytes, error;
  if (!sim::io::read_whole_file(path, kMaxLibraryBytes, &bytes, &error)) return "cannot use library " + error;
  // A Debian package is an ar archive whose first member is debian-binary.
  if (bytes.compare(0, 8, "!<arch>\n") == 0 && bytes.compare(8, 13, "debian-binary") == 0)
    return "cannot use library " + path +
           ": this is the package; pass the dylib inside it "
           "(Library/MobileSubstrate/DynamicLibraries/Corvane13.dylib, also build-device/Corvane13.dylib)";
  if (sim::emulation::looks_like_device_library(bytes)) {
    if (!sim::emulation::select_slice(bytes, arch, error) ||
        !sim::emulation::read_macho(std::move(bytes), error))
      return "cannot use library " + path + ": " + error;
    return std::nullopt;
  }
  if (!arch.empty()) return "cannot use library " + path + " with --arch: it is not the phone's dylib";
  // An ELF shared object: the native module (dlopen reports what else is wrong).
  if (bytes.size() >= 18 &&
      bytes.compare(0, 4,
                    "\x7f"
                    "ELF") == 0 &&
      bytes[16] == 3)
    return std::nullopt;
  return "cannot use library " + path + ": neither the phone's dylib nor a native module";
}

}  // namespace corvane::cli
