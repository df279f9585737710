// Reading property-list files and replacing files atomically.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sim/foundation/plist_file.h"
#include "sim/io/fd.h"
#include "sim/io/whole_file.h"

namespace sim::plist {
namespace {

using io::Fd;

void set_error(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string describe_errno(int err) { return std::strerror(err); }

bool write_all(int fd, const char* p, std::size_t n, int* err) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      *err = errno;
      return false;
    }
    if (w == 0) {
      *err = EIO;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

void split_path(const std::string& path, std::string* dir, std::string* base) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    *dir = ".";
    *base = path;
  } else {
    *dir = slash == 0 ? "/" : path.substr(0, slash);
    *base = path.substr(slash + 1);
  }
}

}  // namespace

std::optional<Value> read_file(const std::string& path, std::string* error) {
  std::string bytes;
  if (!io::read_whole_file(path, kMaxFileBytes, &bytes, error)) return std::nullopt;
  if (bytes.empty()) {
    set_error(error, quoted(path) + " is empty, not a property list");
    return std::nullopt;
  }
  std::optional<Value> value = parse(bytes);
  if (!value) set_error(error, quoted(path) + " is not a property list");
  return value;
}

bool write_atomically(const std::string& path, std::string_view bytes, std::string* error) {
  std::string dir, base;
  split_path(path, &dir, &base);
  if (base.empty() || base == "." || base == "..") {
    set_error(error, "cannot write " + quoted(path) + ": not a file name");
    return false;
  }

  mode_t mode = 0644;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) mode = st.st_mode & 07777;

  // A hidden name beside the target, so that rename stays within one file
  // system; mkstemp opens it with O_CREAT | O_EXCL under a unique name.
  std::string temp = dir + "/." + base + ".XXXXXX";
  std::vector<char> pattern(temp.begin(), temp.end());
  pattern.push_back('\0');
  Fd fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    set_error(error, "cannot create a temporary file beside " + quoted(path) + ": " + describe_errno(errno));
    return false;
  }
  temp.assign(pattern.data());

  const auto fail = [&](const std::string& what, int err) {
    ::unlink(temp.c_str());
    set_error(error, what + " " + quoted(temp) + " for " + quoted(path) + ": " + describe_errno(err));
    return false;
  };

  int err = 0;
  if (!write_all(fd.get(), bytes.data(), bytes.size(), &err)) return fail("cannot write", err);
  if (::fchmod(fd.get(), mode) != 0) return fail("cannot set the mode of", errno);
  if (::fsync(fd.get()) != 0) return fail("cannot flush", errno);
  if (fd.close() != 0) return fail("cannot close", errno);
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    set_error(error, "cannot move " + quoted(temp) + " over " + quoted(path) + ": " + describe_errno(err));
    return false;
  }

  // Make the rename itself durable. The new contents are already in place,
  // so a file system that cannot flush a directory does not fail the write.
  Fd dir_fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir_fd.get() >= 0) ::fsync(dir_fd.get());
  return true;
}

bool write_xml_atomically(const std::string& path, const Value& value, std::string* error) {
  return write_atomically(path, to_xml(value), error);
}

}  // namespace sim::plist
