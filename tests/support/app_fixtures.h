// Test fixtures made in the tests themselves: ordinary PNGs written through
// libpng, the optimised PNG variant of iOS app bundles (a CgBI chunk, raw
// deflate data, premultiplied B, G, R, A pixels), `.app` folders and `.ipa`
// archives.
#pragma once

#include <png.h>
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "sim/foundation/plist_file.h"
#include "sim/graphics/CoreGraphics.h"
#include "support/sim_fixture.h"

namespace corvane_test {

// A picture as premultiplied R, G, B, A bytes, rows packed.
struct Picture {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

// The pixels of a decoded image, premultiplied.
inline Picture picture_of(CGImageRef image) {
  Picture p;
  if (!image) return p;
  p.width = static_cast<uint32_t>(CGImageGetWidth(image));
  p.height = static_cast<uint32_t>(CGImageGetHeight(image));
  p.rgba.resize(size_t(p.width) * p.height * 4);
  for (uint32_t y = 0; y < p.height; ++y)
    for (uint32_t x = 0; x < p.width; ++x)
      sim_CGImageGetPixel(image, x, y, &p.rgba[(size_t(y) * p.width + x) * 4]);
  return p;
}

// One of the project's own icons (assets/icons), decoded.
inline Picture project_icon(const std::string& file) {
  const std::string path = std::string(CORVANE_SOURCE_DIR) + "/assets/icons/" + file;
  CGImageRef image = sim_CGImageCreateWithPNGFile(path.c_str(), nullptr, 0);
  Picture p = picture_of(image);
  CGImageRelease(image);
  return p;
}

inline void put_be32(std::string& out, uint32_t v) {
  const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  out.append(b, 4);
}

// A chunk with its length and CRC.
inline std::string png_chunk(const char type[4], const std::string& data) {
  std::string out;
  put_be32(out, static_cast<uint32_t>(data.size()));
  std::string body(type, 4);
  body += data;
  out += body;
  put_be32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
  return out;
}

inline std::string raw_deflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct OptimisedOptions {
  bool alpha = true;  // colour type 6 (B, G, R, A); else 2 (B, G, R)
  int depth = 8;
  int interlace = 0;
  // The filter of row y is filters[y % size]; each of the five by turns.
  std::vector<uint8_t> filters{0, 1, 2, 3, 4};
  size_t idat_pieces = 2;  // the deflate stream split over this many IDAT chunks
};

inline uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return uint8_t(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

// The filtered rows (filter byte first) of the picture in B, G, R(, A) order.
inline std::string optimised_rows(const Picture& p, const OptimisedOptions& o) {
  const size_t bpp = o.alpha ? 4 : 3, stride = size_t(p.width) * bpp;
  std::vector<uint8_t> previous(stride, 0), row(stride);
  std::string out;
  for (uint32_t y = 0; y < p.height; ++y) {
    for (uint32_t x = 0; x < p.width; ++x) {
      const uint8_t* px = &p.rgba[(size_t(y) * p.width + x) * 4];
      uint8_t* b = &row[x * bpp];
      b[0] = px[2], b[1] = px[1], b[2] = px[0];
      if (o.alpha) b[3] = px[3];
    }
    const uint8_t filter = o.filters[y % o.filters.size()];
    out += char(filter);
    for (size_t i = 0; i < stride; ++i) {
      const int left = i >= bpp ? row[i - bpp] : 0, up = y ? previous[i] : 0,
                corner = (y && i >= bpp) ? previous[i - bpp] : 0;
      int v = row[i];
      switch (filter) {
        case 1: v -= left; break;
        case 2: v -= up; break;
        case 3: v -= (left + up) / 2; break;
        case 4: v -= paeth(left, up, corner); break;
        default: break;
      }
      out += char(uint8_t(v));
    }
    previous = row;
  }
  return out;
}

inline std::string ihdr(uint32_t w, uint32_t h, int depth, int colour, int interlace) {
  std::string d;
  put_be32(d, w);
  put_be32(d, h);
  d += char(depth);
  d += char(colour);
  d += '\0';
  d += '\0';
  d += char(interlace);
  return png_chunk("IHDR", d);
}

// An ordinary PNG of the given header whose image data is `rows` in a
// zlib stream, whatever the header claims.
inline std::string crafted_png(uint32_t w, uint32_t h, int colour, const std::string& rows) {
  uLongf n = compressBound(rows.size());
  std::string z(n, '\0');
  compress(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(rows.data()), rows.size());
  z.resize(n);
  return std::string("\x89PNG\r\n\x1a\n", 8) + ihdr(w, h, 8, colour, 0) + png_chunk("IDAT", z) +
         png_chunk("IEND", "");
}

// The picture as an optimised PNG, as app bundles carry them.
inline std::string optimised_png(const Picture& p, const OptimisedOptions& o = {}) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  out += png_chunk("CgBI", std::string("\x50\x00\x20\x06", 4));
  out += ihdr(p.width, p.height, o.depth, o.alpha ? 6 : 2, o.interlace);
  const std::string data = raw_deflate(optimised_rows(p, o));
  const size_t pieces = std::max<size_t>(o.idat_pieces, 1), step = data.size() / pieces + 1;
  for (size_t at = 0; at < data.size(); at += step) out += png_chunk("IDAT", data.substr(at, step));
  out += png_chunk("IEND", "");
  return out;
}

// An ordinary PNG of the picture: RGBA with straight alpha (the picture's
// premultiplied colour divided back), or RGB when every pixel is opaque.
inline std::string ordinary_png(const Picture& p, int colour_type = PNG_COLOR_TYPE_RGB_ALPHA) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp s, png_bytep data, size_t n) {
        static_cast<std::string*>(png_get_io_ptr(s))->append(reinterpret_cast<char*>(data), n);
      },
      [](png_structp) {});
  png_set_IHDR(png, info, p.width, p.height, 8, colour_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int channels = colour_type == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                       : colour_type == PNG_COLOR_TYPE_RGB        ? 3
                       : colour_type == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                  : 1;
  std::vector<uint8_t> row(size_t(p.width) * channels);
  for (uint32_t y = 0; y < p.height; ++y) {
    for (uint32_t x = 0; x < p.width; ++x) {
      const uint8_t* px = &p.rgba[(size_t(y) * p.width + x) * 4];
      const unsigned a = px[3];
      uint8_t straight[3];
      for (int k = 0; k < 3; ++k) straight[k] = a ? uint8_t(std::min(255u, (px[k] * 255u + a / 2) / a)) : 0;
      uint8_t* out_px = &row[x * channels];
      if (channels >= 3) {
        std::memcpy(out_px, straight, 3);
        if (channels == 4) out_px[3] = uint8_t(a);
      } else {
        out_px[0] = straight[0];
        if (channels == 2) out_px[1] = uint8_t(a);
      }
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A picture of one colour (premultiplied bytes).
inline Picture uniform_picture(uint32_t w, uint32_t h, std::array<uint8_t, 4> rgba) {
  Picture p{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (size_t i = 0; i < p.rgba.size(); ++i) p.rgba[i] = rgba[i % 4];
  return p;
}

// Info.plist of an app named `name` whose primary icon files are `icons`.
inline std::string info_plist(const std::string& name, const std::vector<std::string>& icons,
                              bool binary = false) {
  sim::plist::Array files;
  for (const std::string& i : icons) files.emplace_back(i);
  sim::plist::Dictionary primary{{"CFBundleIconFiles", files}};
  sim::plist::Dictionary bundle_icons{{"CFBundlePrimaryIcon", primary}};
  sim::plist::Dictionary info{{"CFBundleDisplayName", name}, {"CFBundleIcons", bundle_icons}};
  sim::plist::Value v(info);
  return binary ? sim::plist::to_binary(v) : sim::plist::to_xml(v);
}

// An `.app` folder holding the files (relative path -> bytes).
inline std::string make_app_folder(const std::string& dir, const std::string& name,
                                   const std::map<std::string, std::string>& files) {
  const std::string app = dir + "/" + name;
  std::filesystem::create_directories(app);
  for (const auto& [path, bytes] : files) write_bytes(app + "/" + path, bytes);
  return app;
}

// A zip archive holding the entries (path inside the archive -> bytes).
inline std::string make_zip(const std::string& path, const std::map<std::string, std::string>& entries) {
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!zip) return path;
  for (const auto& [name, bytes] : entries) {
    zip_source_t* src = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
    zip_file_add(zip, name.c_str(), src, ZIP_FL_OVERWRITE);
  }
  zip_close(zip);  // the buffers must live until here
  return path;
}

// An `.ipa`: the app's files under Payload/NAME/.
inline std::string make_ipa(const std::string& path, const std::string& app_name,
                            const std::map<std::string, std::string>& files) {
  std::map<std::string, std::string> entries;
  for (const auto& [name, bytes] : files) entries["Payload/" + app_name + "/" + name] = bytes;
  return make_zip(path, entries);
}

}  // namespace corvane_test
