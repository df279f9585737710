#include "sim/io/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "sim/io/fd.h"

namespace sim::io {
namespace {

void set_error(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
}

// Reads until end of file, but never more than limit + 1 bytes: one byte
// past the limit is enough to know that the input is too large.
bool read_bounded(int fd, const std::string& what, std::size_t limit, std::string* bytes,
                  std::string* error) {
  std::string out;
  char buf[64 * 1024];
  for (;;) {
    const std::size_t room = limit - out.size() + 1;
    const ssize_t r = ::read(fd, buf, room < sizeof buf ? room : sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      set_error(error, "cannot read " + what + ": " + std::strerror(errno));
      return false;
    }
    if (r == 0) break;
    out.append(buf, static_cast<std::size_t>(r));
    if (out.size() > limit) {
      set_error(error, what + " is larger than " + describe_size(limit));
      return false;
    }
  }
  *bytes = std::move(out);
  return true;
}

}  // namespace

std::string describe_size(std::size_t bytes) {
  if (bytes >= (std::size_t{1} << 20) && bytes % (std::size_t{1} << 20) == 0)
    return std::to_string(bytes >> 20) + " MiB";
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

bool read_whole_file(const std::string& path, std::size_t limit, std::string* bytes, std::string* error) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    set_error(error, "cannot open " + path + ": " + std::strerror(errno));
    return false;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    set_error(error, "cannot examine " + path + ": " + std::strerror(errno));
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    set_error(error, path + " is a directory");
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    set_error(error, path + " is not a regular file");
    return false;
  }
  if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > limit) {
    set_error(error, path + " is larger than " + describe_size(limit));
    return false;
  }
  // The size is checked again while reading: the file may grow meanwhile.
  return read_bounded(fd.get(), path, limit, bytes, error);
}

bool read_whole_stream(int fd, const std::string& what, std::size_t limit, std::string* bytes,
                       std::string* error) {
  return read_bounded(fd, what, limit, bytes, error);
}

}  // namespace sim::io
