#include "sim/render/surface.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace sim::render {

Surface::Surface(int width, int height) {
  if (width <= 0 || height <= 0) return;
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
}

Surface::~Surface() {
  if (surface_) cairo_surface_destroy(surface_);
}

Surface::Surface(Surface&& other) noexcept : surface_(other.surface_) { other.surface_ = nullptr; }

Surface& Surface::operator=(Surface&& other) noexcept {
  if (this != &other) {
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = other.surface_;
    other.surface_ = nullptr;
  }
  return *this;
}

bool Surface::ok() const { return surface_ && cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }

int Surface::width() const { return ok() ? cairo_image_surface_get_width(surface_) : 0; }
int Surface::height() const { return ok() ? cairo_image_surface_get_height(surface_) : 0; }

std::array<uint8_t, 4> Surface::pixel(int x, int y) const {
  if (!ok() || x < 0 || y < 0 || x >= width() || y >= height()) return {0, 0, 0, 0};
  cairo_surface_flush(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  uint32_t p;
  memcpy(&p, data + static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x) * 4, 4);
  const uint32_t a = p >> 24;
  if (a == 0) return {0, 0, 0, 0};
  auto straight = [a](uint32_t c) {
    return static_cast<uint8_t>(std::min<uint32_t>(255, (c * 255 + a / 2) / a));
  };
  return {straight((p >> 16) & 0xff), straight((p >> 8) & 0xff), straight(p & 0xff), static_cast<uint8_t>(a)};
}

double luminance(const std::array<uint8_t, 4>& rgba) {
  const double a = rgba[3] / 255.0;
  return a * (0.2126 * rgba[0] + 0.7152 * rgba[1] + 0.0722 * rgba[2]) / 255.0;
}

double mean_luminance(const Surface& s, int x, int y, int width, int height) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + width, s.width()), y1 = std::min(y + height, s.height());
  if (x1 <= x0 || y1 <= y0) return 0;
  cairo_surface_flush(s.get());
  const unsigned char* data = cairo_image_surface_get_data(s.get());
  const size_t stride = static_cast<size_t>(cairo_image_surface_get_stride(s.get()));
  double sum = 0;
  for (int j = y0; j < y1; ++j) {
    const unsigned char* row = data + static_cast<size_t>(j) * stride;
    for (int i = x0; i < x1; ++i) {
      uint32_t p;
      memcpy(&p, row + static_cast<size_t>(i) * 4, 4);
      // Premultiplied components are the straight ones composited over black.
      sum += (0.2126 * ((p >> 16) & 0xff) + 0.7152 * ((p >> 8) & 0xff) + 0.0722 * (p & 0xff)) / 255.0;
    }
  }
  return sum / (static_cast<double>(x1 - x0) * static_cast<double>(y1 - y0));
}

// --- files ---------------------------------------------------------------------

namespace {

std::string describe_errno(int e) { return strerror(e); }

// Writes all of `length` bytes to `fd`, retrying short writes.
bool write_all(int fd, const unsigned char* data, size_t length) {
  while (length > 0) {
    ssize_t n = write(fd, data, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

struct StreamState {
  int fd;
  int error = 0;
};

cairo_status_t write_chunk(void* closure, const unsigned char* data, unsigned int length) {
  auto* state = static_cast<StreamState*>(closure);
  if (!write_all(state->fd, data, length)) {
    state->error = errno;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

PendingFile::~PendingFile() { discard(); }

void PendingFile::discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_path_.empty()) unlink(temp_path_.c_str());
  temp_path_.clear();
}

bool PendingFile::open(const std::string& path, std::string* error) {
  discard();
  path_ = path;
  if (path.empty()) {
    *error = "no output file named";
    return false;
  }
  std::filesystem::path p(path);
  std::error_code ec;
  if (std::filesystem::is_directory(p, ec)) {
    *error = "cannot write " + path + ": it is a folder";
    return false;
  }
  std::filesystem::path folder = p.parent_path();
  if (folder.empty()) folder = ".";
  std::string tmpl = (folder / ("." + p.filename().string() + ".XXXXXX")).string();
  int fd = mkstemp(tmpl.data());
  if (fd < 0) {
    *error = "cannot write " + path + ": " + describe_errno(errno);
    return false;
  }
  // A new file gets the permissions a plain create would give it.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  fd_ = fd;
  temp_path_ = tmpl;
  return true;
}

bool PendingFile::commit_png(const Surface& picture, std::string* error) {
  if (fd_ < 0) {
    *error = "cannot write " + path_ + ": the file was not opened";
    return false;
  }
  if (!picture.ok()) {
    *error = "cannot write " + path_ + ": the picture could not be drawn";
    discard();
    return false;
  }
  StreamState state{fd_};
  cairo_surface_flush(picture.get());
  cairo_status_t status = cairo_surface_write_to_png_stream(picture.get(), write_chunk, &state);
  if (status != CAIRO_STATUS_SUCCESS) {
    *error = "cannot write " + path_ + ": " +
             (state.error ? describe_errno(state.error) : std::string(cairo_status_to_string(status)));
    discard();
    return false;
  }
  if (fsync(fd_) != 0 && errno != EINVAL) {
    *error = "cannot write " + path_ + ": " + describe_errno(errno);
    discard();
    return false;
  }
  int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) {
    *error = "cannot write " + path_ + ": " + describe_errno(errno);
    discard();
    return false;
  }
  if (rename(temp_path_.c_str(), path_.c_str()) != 0) {
    *error = "cannot write " + path_ + ": " + describe_errno(errno);
    discard();
    return false;
  }
  temp_path_.clear();
  return true;
}

bool write_png_atomically(const Surface& picture, const std::string& path, std::string* error) {
  PendingFile file;
  return file.open(path, error) && file.commit_png(picture, error);
}

}  // namespace sim::render
