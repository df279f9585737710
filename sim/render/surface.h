// Pictures the renderer draws into (cairo image surfaces in premultiplied
// ARGB32), reading their pixels back, and writing them as PNG files that
// appear whole or not at all.
#pragma once

#include <cairo.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sim::render {

// An owned cairo image surface, `width` × `height` pixels, transparent at
// first. A size that is not positive, or too large to allocate, leaves the
// surface in an error state (ok() false).
class Surface {
 public:
  Surface() = default;
  Surface(int width, int height);
  ~Surface();
  Surface(Surface&& other) noexcept;
  Surface& operator=(Surface&& other) noexcept;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  bool ok() const;
  cairo_surface_t* get() const { return surface_; }
  int width() const;
  int height() const;

  // The pixel at column x, row y as straight (not premultiplied) R, G, B, A
  // bytes; transparent black outside the picture.
  std::array<uint8_t, 4> pixel(int x, int y) const;

 private:
  cairo_surface_t* surface_ = nullptr;
};

// Luminance (0 to 1, Rec. 709 weights on the stored sRGB values) of a
// straight RGBA pixel composited over black.
double luminance(const std::array<uint8_t, 4>& rgba);

// Mean luminance over a rectangle of pixels (clipped to the picture); 0 for
// an empty rectangle.
double mean_luminance(const Surface& s, int x, int y, int width, int height);

// Receives a PNG file's bytes in order as they are encoded; false stops the
// encoding as failed.
using PngSink = bool (*)(void* closure, const unsigned char* data, size_t length);

// Encodes `picture` as an 8-bit PNG, RGB when every pixel is opaque and RGBA
// otherwise, with the same straight-alpha values cairo's own writer gives.
// The compression favours speed over size (about a quarter larger than
// zlib's default level). False when the picture is not drawn, the sink
// fails or libpng reports an error.
bool encode_png(const Surface& picture, PngSink sink, void* closure);

// A file that is written under a temporary name beside its destination and
// renamed over it once complete. Until commit() succeeds nothing exists at
// the destination that was not there before; a PendingFile that is never
// committed removes its temporary file.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file in the destination's folder. False, with a
  // message naming `path`, when that folder does not exist or cannot take a
  // new file (checked before any drawing is done).
  bool open(const std::string& path, std::string* error);

  // Encodes `picture` as PNG into the temporary file, flushes it and renames
  // it to the destination. False, with a message, on any failure (the
  // temporary file is then removed and the destination left as it was).
  bool commit_png(const Surface& picture, std::string* error);

 private:
  void discard();

  std::string path_;
  std::string temp_path_;
  int fd_ = -1;
};

// open() then commit_png() in one step.
bool write_png_atomically(const Surface& picture, const std::string& path, std::string* error);

}  // namespace sim::render
