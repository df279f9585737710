// A file descriptor that is closed when it goes out of scope.
#pragma once

#include <unistd.h>

namespace sim::io {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, reporting close's own failure (which can carry a delayed
  // write error on some file systems); the destructor then closes nothing.
  int close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

}  // namespace sim::io
