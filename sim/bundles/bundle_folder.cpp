// An `.app` folder on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "sim/bundles/bundle_files.h"

namespace sim::bundles {
namespace {

class FolderFiles : public BundleFiles {
 public:
  explicit FolderFiles(std::string root) : root_(std::move(root)) {}

  std::string bundle_name() const override {
    std::filesystem::path p(root_);
    if (!p.has_filename()) p = p.parent_path();
    return p.filename().string();
  }

  // A symbolic link counts as present, so that reading it reports it: a
  // link may lead anywhere outside the bundle, and none is followed.
  bool has(const std::string& relative) const override {
    struct stat st;
    return ::lstat(full(relative).c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode));
  }

  bool read(const std::string& relative, std::vector<unsigned char>* bytes,
            std::string* error) const override {
    const std::string path = full(relative);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0 && errno == ELOOP) {
      *error = "cannot read " + path + ": a symbolic link (links inside a bundle are not followed)";
      return false;
    }
    if (fd < 0) {
      *error = "cannot read " + path + ": " + std::strerror(errno);
      return false;
    }
    bool ok = read_open(fd, path, bytes, error);
    ::close(fd);
    return ok;
  }

 private:
  std::string full(const std::string& relative) const {
    return root_.ends_with('/') ? root_ + relative : root_ + "/" + relative;
  }

  static bool read_open(int fd, const std::string& path, std::vector<unsigned char>* bytes,
                        std::string* error) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      *error = "cannot read " + path + ": not a regular file";
      return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxBundleFileBytes) {
      *error = path + " is too large (" + std::to_string(st.st_size) + " bytes; at most " +
               std::to_string(kMaxBundleFileBytes) + ")";
      return false;
    }
    bytes->assign(static_cast<size_t>(st.st_size), 0);
    size_t got = 0;
    while (got < bytes->size()) {
      const ssize_t n = ::read(fd, bytes->data() + got, bytes->size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        *error = "cannot read " + path + (n < 0 ? std::string(": ") + std::strerror(errno) : ": it shrank");
        return false;
      }
      got += static_cast<size_t>(n);
    }
    return true;
  }

  std::string root_;
};

}  // namespace

std::unique_ptr<BundleFiles> open_bundle_folder(const std::string& path, std::string* error) {
  auto files = std::make_unique<FolderFiles>(path);
  if (!files->has("Info.plist")) {
    *error = "app " + path + " has no Info.plist";
    return nullptr;
  }
  return files;
}

std::unique_ptr<BundleFiles> open_bundle(const std::string& path, std::string* error) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    *error = "cannot read app " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  if (S_ISDIR(st.st_mode)) return open_bundle_folder(path, error);
  if (S_ISREG(st.st_mode)) return open_bundle_archive(path, error);
  *error = "cannot read app " + path + ": neither a folder nor a regular file";
  return nullptr;
}

}  // namespace sim::bundles
