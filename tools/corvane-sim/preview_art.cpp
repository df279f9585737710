#include "tools/corvane-sim/preview_art.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "sim/graphics/CoreGraphics.h"
#include "sim/render/glyphs.h"
#include "sim/uikit/UIImage.h"

namespace corvane::cli {
namespace {

using sim::render::Rgba;
using sim::render::rounded_rect_path;
using sim::render::set_colour;

Rgba hex(uint32_t rgb, double alpha = 1) {
  return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, alpha};
}

// A top-to-bottom gradient over the unit square.
void gradient(cairo_t* cr, uint32_t top, uint32_t bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0.3, 1);
  Rgba a = hex(top), b = hex(bottom);
  cairo_pattern_add_color_stop_rgb(p, 0, a[0], a[1], a[2]);
  cairo_pattern_add_color_stop_rgb(p, 1, b[0], b[1], b[2]);
  cairo_set_source(cr, p);
  cairo_paint(cr);
  cairo_pattern_destroy(p);
}

const Rgba kWhite{1, 1, 1, 1};

// Each design in the unit square.
void paint_icon(cairo_t* cr, BuiltinIcon icon) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  switch (icon) {
    case BuiltinIcon::Chat:  // a speech bubble
      gradient(cr, 0xFF8A3D, 0xFF2D55);
      set_colour(cr, kWhite);
      cairo_save(cr);
      cairo_translate(cr, 0.5, 0.46);
      cairo_scale(cr, 0.31, 0.25);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      cairo_fill(cr);
      cairo_move_to(cr, 0.29, 0.58);
      cairo_line_to(cr, 0.24, 0.76);
      cairo_line_to(cr, 0.43, 0.66);
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    case BuiltinIcon::Agenda:  // a page with a header band and lines
      gradient(cr, 0x4DB2FF, 0x1D4FE0);
      set_colour(cr, kWhite);
      rounded_rect_path(cr, 0.22, 0.22, 0.56, 0.58, 0.07);
      cairo_fill(cr);
      set_colour(cr, hex(0x2F6BF2));
      cairo_rectangle(cr, 0.22, 0.30, 0.56, 0.09);
      cairo_fill(cr);
      cairo_set_line_width(cr, 0.045);
      for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 0.31, 0.50 + i * 0.1);
        cairo_line_to(cr, i == 2 ? 0.55 : 0.69, 0.50 + i * 0.1);
      }
      cairo_stroke(cr);
      break;
    case BuiltinIcon::Garden:  // a leaf on its stem
      gradient(cr, 0x63D97D, 0x0E9F8C);
      set_colour(cr, kWhite);
      cairo_move_to(cr, 0.28, 0.74);
      cairo_curve_to(cr, 0.22, 0.40, 0.45, 0.22, 0.76, 0.22);
      cairo_curve_to(cr, 0.78, 0.55, 0.58, 0.76, 0.28, 0.74);
      cairo_fill(cr);
      set_colour(cr, hex(0x2DB886));
      cairo_set_line_width(cr, 0.035);
      cairo_move_to(cr, 0.30, 0.72);
      cairo_curve_to(cr, 0.45, 0.55, 0.58, 0.42, 0.70, 0.29);
      cairo_stroke(cr);
      break;
    case BuiltinIcon::Call:  // a dot sending out waves
      gradient(cr, 0x72E584, 0x20B04A);
      set_colour(cr, kWhite);
      cairo_arc(cr, 0.34, 0.66, 0.08, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_set_line_width(cr, 0.07);
      for (double r : {0.2, 0.33}) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0.34, 0.66, r, -M_PI / 2, 0);
      }
      cairo_stroke(cr);
      break;
    case BuiltinIcon::Post:  // an envelope
      gradient(cr, 0x5CC9FA, 0x2475F0);
      set_colour(cr, kWhite);
      rounded_rect_path(cr, 0.2, 0.3, 0.6, 0.42, 0.05);
      cairo_fill(cr);
      set_colour(cr, hex(0x3A8CF4));
      cairo_set_line_width(cr, 0.04);
      cairo_move_to(cr, 0.23, 0.34);
      cairo_line_to(cr, 0.5, 0.54);
      cairo_line_to(cr, 0.77, 0.34);
      cairo_stroke(cr);
      break;
    case BuiltinIcon::Lens:  // a lens in a dark body
      gradient(cr, 0x9A9AA2, 0x3A3A3F);
      set_colour(cr, hex(0x1C1C1F));
      cairo_arc(cr, 0.5, 0.52, 0.26, 0, 2 * M_PI);
      cairo_fill(cr);
      set_colour(cr, hex(0xE9E9EE));
      cairo_set_line_width(cr, 0.05);
      cairo_arc(cr, 0.5, 0.52, 0.25, 0, 2 * M_PI);
      cairo_stroke(cr);
      set_colour(cr, hex(0x5E7CE2));
      cairo_arc(cr, 0.5, 0.52, 0.11, 0, 2 * M_PI);
      cairo_fill(cr);
      set_colour(cr, hex(0xFFD60A));
      cairo_arc(cr, 0.78, 0.22, 0.045, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
    case BuiltinIcon::Weather:  // a sun behind a cloud
      gradient(cr, 0x52C4F8, 0x1B6FD0);
      set_colour(cr, hex(0xFFD84A));
      cairo_arc(cr, 0.40, 0.40, 0.16, 0, 2 * M_PI);
      cairo_fill(cr);
      set_colour(cr, kWhite);
      cairo_arc(cr, 0.47, 0.60, 0.14, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_arc(cr, 0.63, 0.56, 0.16, 0, 2 * M_PI);
      cairo_fill(cr);
      rounded_rect_path(cr, 0.3, 0.58, 0.5, 0.16, 0.08);
      cairo_fill(cr);
      break;
    case BuiltinIcon::Notes:  // a ruled page
      gradient(cr, 0xFFE680, 0xFFBF1F);
      set_colour(cr, hex(0xFFFDF4));
      rounded_rect_path(cr, 0.2, 0.18, 0.6, 0.64, 0.06);
      cairo_fill(cr);
      set_colour(cr, hex(0xE0A800));
      cairo_set_line_width(cr, 0.035);
      for (int i = 0; i < 4; ++i) {
        cairo_move_to(cr, 0.29, 0.34 + i * 0.12);
        cairo_line_to(cr, i == 3 ? 0.5 : 0.71, 0.34 + i * 0.12);
      }
      cairo_stroke(cr);
      break;
    case BuiltinIcon::Music:  // two joined notes
      gradient(cr, 0xFF6A88, 0xC0185A);
      set_colour(cr, kWhite);
      cairo_arc(cr, 0.36, 0.68, 0.09, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_arc(cr, 0.66, 0.62, 0.09, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_set_line_width(cr, 0.05);
      cairo_move_to(cr, 0.43, 0.68);
      cairo_line_to(cr, 0.43, 0.28);
      cairo_line_to(cr, 0.73, 0.22);
      cairo_line_to(cr, 0.73, 0.62);
      cairo_stroke(cr);
      break;
    case BuiltinIcon::Clock:  // a clock face
      gradient(cr, 0x3A3F58, 0x15172A);
      set_colour(cr, hex(0xF7F7FA));
      cairo_arc(cr, 0.5, 0.5, 0.32, 0, 2 * M_PI);
      cairo_fill(cr);
      set_colour(cr, hex(0x15172A));
      cairo_set_line_width(cr, 0.045);
      cairo_move_to(cr, 0.5, 0.5);
      cairo_line_to(cr, 0.5, 0.29);
      cairo_move_to(cr, 0.5, 0.5);
      cairo_line_to(cr, 0.64, 0.58);
      cairo_stroke(cr);
      set_colour(cr, hex(0xFF9F0A));
      cairo_arc(cr, 0.5, 0.5, 0.035, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
    case BuiltinIcon::Books:  // an open book
      gradient(cr, 0xFFA24A, 0xF2630F);
      set_colour(cr, kWhite);
      cairo_move_to(cr, 0.5, 0.36);
      cairo_curve_to(cr, 0.40, 0.29, 0.28, 0.29, 0.20, 0.32);
      cairo_line_to(cr, 0.20, 0.70);
      cairo_curve_to(cr, 0.28, 0.67, 0.40, 0.67, 0.5, 0.74);
      cairo_curve_to(cr, 0.60, 0.67, 0.72, 0.67, 0.80, 0.70);
      cairo_line_to(cr, 0.80, 0.32);
      cairo_curve_to(cr, 0.72, 0.29, 0.60, 0.29, 0.5, 0.36);
      cairo_fill(cr);
      set_colour(cr, hex(0xF7842C));
      cairo_set_line_width(cr, 0.025);
      cairo_move_to(cr, 0.5, 0.37);
      cairo_line_to(cr, 0.5, 0.72);
      cairo_stroke(cr);
      break;
    case BuiltinIcon::Pin:  // a map pin over a field
      gradient(cr, 0xE8F3DA, 0xB9DDA0);
      set_colour(cr, hex(0x8CCB6A));
      cairo_set_line_width(cr, 0.09);
      cairo_move_to(cr, 0.0, 0.78);
      cairo_curve_to(cr, 0.35, 0.62, 0.6, 0.9, 1.0, 0.7);
      cairo_stroke(cr);
      set_colour(cr, hex(0xFF3B30));
      cairo_arc(cr, 0.5, 0.40, 0.17, M_PI * 0.85, M_PI * 2.15);
      cairo_line_to(cr, 0.5, 0.74);
      cairo_close_path(cr);
      cairo_fill(cr);
      set_colour(cr, kWhite);
      cairo_arc(cr, 0.5, 0.40, 0.065, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
    case BuiltinIcon::Tiles:  // four coloured tiles
      gradient(cr, 0x2C2C30, 0x111113);
      {
        const uint32_t tiles[] = {0xFF9F0A, 0x8E8E93, 0x8E8E93, 0x30D158};
        for (int i = 0; i < 4; ++i) {
          set_colour(cr, hex(tiles[i]));
          cairo_arc(cr, 0.34 + (i % 2) * 0.32, 0.34 + (i / 2) * 0.32, 0.12, 0, 2 * M_PI);
          cairo_fill(cr);
        }
      }
      break;
  }
}

}  // namespace

id make_builtin_icon(BuiltinIcon icon, double points, double scale) {
  const int side = static_cast<int>(std::lround(points * scale));
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
  cairo_t* cr = cairo_create(s);
  cairo_scale(cr, side, side);
  paint_icon(cr, icon);
  cairo_destroy(cr);
  cairo_surface_flush(s);

  // cairo's native-endian ARGB words to the host's R, G, B, A bytes (both premultiplied).
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  std::vector<uint8_t> rgba(static_cast<size_t>(side) * static_cast<size_t>(side) * 4);
  for (int y = 0; y < side; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < side; ++x) {
      uint8_t* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x)) * 4];
      p[0] = static_cast<uint8_t>(row[x] >> 16);
      p[1] = static_cast<uint8_t>(row[x] >> 8);
      p[2] = static_cast<uint8_t>(row[x]);
      p[3] = static_cast<uint8_t>(row[x] >> 24);
    }
  }
  cairo_surface_destroy(s);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGImageRef bitmap = sim_CGImageCreateWithBytes(
      static_cast<size_t>(side), static_cast<size_t>(side), static_cast<size_t>(side) * 4, space,
      kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big, rgba.data());
  CGColorSpaceRelease(space);
  id image = sim::make_image(bitmap, CGSize{points, points}, scale);
  CGImageRelease(bitmap);
  return image;
}

void draw_undimmed_wallpaper(cairo_t* cr, double width, double height) {
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_clip(cr);
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, width * 0.3, height);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.55, 0.70, 1.00);
  cairo_pattern_add_color_stop_rgb(sky, 0.55, 0.78, 0.72, 0.98);
  cairo_pattern_add_color_stop_rgb(sky, 1, 1.00, 0.80, 0.68);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  // Soft discs of colour drifting over the sky.
  struct Disc {
    double x, y, r;
    Rgba colour;
  };
  const Disc discs[] = {
      {0.12, 0.20, 0.75, hex(0xFF8FC0, 0.60)},
      {0.95, 0.58, 0.85, hex(0x5FE0CF, 0.55)},
      {0.25, 0.95, 0.70, hex(0xA58BFF, 0.50)},
      {0.80, 0.05, 0.45, hex(0xFFE08A, 0.45)},
  };
  // Beyond its radius a disc is fully transparent: each is painted only
  // over the whole rows of device pixels it reaches, and one more above and
  // below, so that the band's edges never cut through any colour. (Cairo
  // places a gradient relative to the area it paints, so at some scales a
  // few pixels come out one level apart from a paint of the whole screen; at
  // the preview's scales 1 and 2 none do.)
  for (const Disc& d : discs) {
    const double cx = d.x * width, cy = d.y * height, r = d.r * width;
    double unused = 0, top = cy - r, bottom = cy + r;
    cairo_user_to_device(cr, &unused, &top);
    cairo_user_to_device(cr, &unused, &bottom);
    const double first_row = std::floor(std::min(top, bottom)) - 1;
    bottom = std::ceil(std::max(top, bottom)) + 1;
    top = first_row;
    cairo_device_to_user(cr, &unused, &top);
    cairo_device_to_user(cr, &unused, &bottom);
    cairo_save(cr);
    cairo_rectangle(cr, 0, top, width, bottom - top);
    cairo_clip(cr);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    cairo_pattern_add_color_stop_rgba(p, 0, d.colour[0], d.colour[1], d.colour[2], d.colour[3]);
    cairo_pattern_add_color_stop_rgba(p, 1, d.colour[0], d.colour[1], d.colour[2], 0);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
  }
  cairo_restore(cr);
}

void dim_wallpaper(cairo_t* cr, double width, double height) {
  // The dark style dims the wallpaper and cools it a little.
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_clip(cr);
  cairo_set_source_rgba(cr, 0.02, 0.02, 0.08, 0.5);
  cairo_paint(cr);
  cairo_restore(cr);
}

void draw_phone_body(cairo_t* cr, double x, double y, double width, double height) {
  cairo_save(cr);
  // A soft shadow under the phone.
  for (int i = 6; i >= 1; --i) {
    rounded_rect_path(cr, x - kBezel - i * 1.5, y - kBezel - i * 1.0 + 6, width + 2 * kBezel + i * 3,
                      height + 2 * kBezel + i * 3, kScreenCornerRadius + kBezel + i * 1.5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.025);
    cairo_fill(cr);
  }
  rounded_rect_path(cr, x - kBezel, y - kBezel, width + 2 * kBezel, height + 2 * kBezel,
                    kScreenCornerRadius + kBezel);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.09);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.30, 0.30, 0.33);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void draw_phone_overlays(cairo_t* cr, double x, double y, double width) {
  // The sensor housing at the top of the screen.
  const double housing = 162;
  cairo_save(cr);
  rounded_rect_path(cr, x + (width - housing) / 2, y - 20, housing, 50, 19);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.09);
  cairo_fill(cr);
  cairo_restore(cr);
}

void draw_page_dots(cairo_t* cr, double cx, double cy, int pages, bool dark) {
  const double step = 15;
  cairo_save(cr);
  for (int i = 0; i < pages; ++i) {
    const double alpha = i == 0 ? 0.95 : 0.45;
    if (dark) cairo_set_source_rgba(cr, 1, 1, 1, alpha);
    else cairo_set_source_rgba(cr, 1, 1, 1, alpha * 0.9);
    cairo_arc(cr, cx + (i - (pages - 1) / 2.0) * step, cy, 3.5, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

}  // namespace corvane::cli
