#include "sim/render/surface.h"

#include <errno.h>
#include <fcntl.h>
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <filesystem>
#include <vector>

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

// --- PNG ---------------------------------------------------------------------

namespace {

// zlib's level 3 without row filters: for these pictures (gradients, blurs,
// flat fills, text) about five times faster than the default level with
// libpng's adaptive filters, and about a quarter larger.
constexpr int kPngCompressionLevel = 3;

struct Encode {
  PngSink sink = nullptr;
  void* closure = nullptr;
  int width = 0, height = 0, stride = 0;
  const unsigned char* data = nullptr;
  bool opaque = true;
  std::vector<unsigned char> row;
  bool sink_failed = false;
};

void on_png_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void on_png_warning(png_structp, png_const_charp) {}

void on_png_write(png_structp png, png_bytep data, size_t length) {
  auto* encode = static_cast<Encode*>(png_get_io_ptr(png));
  if (!encode->sink(encode->closure, data, length)) {
    encode->sink_failed = true;
    png_error(png, "write failed");
  }
}

void on_png_flush(png_structp) {}

// One row of premultiplied ARGB32 words as the file's samples: R, G, B for an
// opaque picture; else R, G, B, A with the colour divided by alpha, rounded
// to nearest (transparent pixels all zero), as cairo writes them.
void convert_row(const uint32_t* in, int width, bool opaque, unsigned char* out) {
  for (int x = 0; x < width; ++x) {
    const uint32_t p = in[x];
    const uint32_t r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
    if (opaque) {
      out[0] = static_cast<unsigned char>(r);
      out[1] = static_cast<unsigned char>(g);
      out[2] = static_cast<unsigned char>(b);
      out += 3;
      continue;
    }
    const uint32_t a = p >> 24;
    if (a == 0) {
      out[0] = out[1] = out[2] = out[3] = 0;
    } else {
      out[0] = static_cast<unsigned char>((r * 255 + a / 2) / a);
      out[1] = static_cast<unsigned char>((g * 255 + a / 2) / a);
      out[2] = static_cast<unsigned char>((b * 255 + a / 2) / a);
      out[3] = static_cast<unsigned char>(a);
    }
    out += 4;
  }
}

// libpng reports errors by longjmp back to this frame, so nothing here has a
// destructor: everything with one lives in *encode, in the caller's frame.
bool run_png_writer(png_structp png, png_infop info, Encode* encode) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, encode, on_png_write, on_png_flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(encode->width), static_cast<png_uint_32>(encode->height),
               8, encode->opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, kPngCompressionLevel);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_write_info(png, info);
  for (int y = 0; y < encode->height; ++y) {
    const auto* in =
        reinterpret_cast<const uint32_t*>(encode->data + static_cast<size_t>(y) * encode->stride);
    convert_row(in, encode->width, encode->opaque, encode->row.data());
    png_write_row(png, encode->row.data());
  }
  png_write_end(png, info);
  return true;
}

bool all_opaque(const unsigned char* data, int width, int height, int stride) {
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    uint32_t alpha = 0xff;
    for (int x = 0; x < width; ++x) alpha &= row[x] >> 24;
    if (alpha != 0xff) return false;
  }
  return true;
}

}  // namespace

bool encode_png(const Surface& picture, PngSink sink, void* closure) {
  if (!picture.ok()) return false;
  cairo_surface_flush(picture.get());
  Encode encode;
  encode.sink = sink;
  encode.closure = closure;
  encode.width = picture.width();
  encode.height = picture.height();
  encode.stride = cairo_image_surface_get_stride(picture.get());
  encode.data = cairo_image_surface_get_data(picture.get());
  encode.opaque = all_opaque(encode.data, encode.width, encode.height, encode.stride);
  encode.row.resize(static_cast<size_t>(encode.width) * (encode.opaque ? 3 : 4));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, on_png_error, on_png_warning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool ok = info && run_png_writer(png, info, &encode);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return ok;
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

bool write_chunk(void* closure, const unsigned char* data, size_t length) {
  auto* state = static_cast<StreamState*>(closure);
  if (!write_all(state->fd, data, length)) {
    state->error = errno;
    return false;
  }
  return true;
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
  if (!encode_png(picture, write_chunk, &state)) {
    *error = "cannot write " + path_ + ": " +
             (state.error ? describe_errno(state.error) : std::string("the PNG encoder failed"));
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
