// What the fuzz harnesses share.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace fuzz {

// A folder of its own for the simulated file system's root and for files a
// harness writes; removed at exit. In memory (/dev/shm) where there is such
// a file system: every input makes and removes the simulated process's
// folders, which costs several times the input's own work on a disk.
class TempFolder {
 public:
  TempFolder() {
    std::error_code ec;
    const std::filesystem::path parent =
        std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path();
    std::string pattern = (parent / "corvane-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ::abort();
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace fuzz
