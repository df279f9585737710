#include "sim/render/glyphs.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>

namespace sim::render {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans";

double clamp01(double v) { return std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0); }

// cairo keeps the fonts it has looked up (through fontconfig) for the life
// of the process; they are handed back at exit, so that a leak checker sees
// only what was really lost.
void release_font_caches() {
  cairo_debug_reset_static_data();
  using Fini = void (*)();
  if (auto fini = reinterpret_cast<Fini>(dlsym(RTLD_DEFAULT, "FcFini"))) fini();
}

void select_font(cairo_t* cr, const TextStyle& style) {
  static const bool registered = atexit(release_font_caches) == 0;
  (void)registered;
  cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                         style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, style.size);
}

double advance(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  return e.x_advance;
}

// The byte length of the UTF-8 sequence starting at s[i], or 0 if it is not
// a valid one (overlong forms, surrogates and values past U+10FFFF count as
// invalid).
size_t utf8_sequence(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  size_t n;
  uint32_t cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  return n;
}

// Drops whole characters from the end until the text and an ellipsis fit.
std::string fitted(cairo_t* cr, const std::string& text, double max_width) {
  if (max_width <= 0 || advance(cr, text) <= max_width) return text;
  static const std::string kEllipsis = "\xE2\x80\xA6";
  std::string cut = text;
  while (!cut.empty()) {
    // One whole character off the end: its continuation bytes, then its first byte.
    while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
    if (!cut.empty()) cut.pop_back();
    if (advance(cr, cut + kEllipsis) <= max_width) return cut + kEllipsis;
  }
  return kEllipsis;
}

}  // namespace

Rgba clamped(const Rgba& c) { return {clamp01(c[0]), clamp01(c[1]), clamp01(c[2]), clamp01(c[3])}; }

void set_colour(cairo_t* cr, const Rgba& colour) {
  Rgba c = clamped(colour);
  cairo_set_source_rgba(cr, c[0], c[1], c[2], c[3]);
}

void rounded_rect_path(cairo_t* cr, double x, double y, double w, double h, double radius) {
  double r = std::min({std::max(radius, 0.0), w / 2, h / 2});
  if (!(r > 0)) {
    cairo_rectangle(cr, x, y, w, h);
    return;
  }
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

double icon_corner_radius(double side) { return 0.225 * side; }

std::string displayable_text(std::string_view text) {
  static const std::string kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t n = utf8_sequence(text, i);
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (n == 0 || (n == 1 && (c < 0x20 || c == 0x7F))) {
      out += kReplacement;
      i += 1;
      continue;
    }
    out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

double text_width(cairo_t* cr, std::string_view text, const TextStyle& style) {
  cairo_save(cr);
  select_font(cr, style);
  double w = advance(cr, displayable_text(text));
  cairo_restore(cr);
  return w;
}

std::vector<std::string> wrap_text(cairo_t* cr, std::string_view text, const TextStyle& style, double width) {
  std::vector<std::string> lines;
  std::string line;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    std::string longer = line.empty() ? std::string(word) : line + " " + std::string(word);
    if (!line.empty() && text_width(cr, longer, style) > width) {
      lines.push_back(std::move(line));
      line = std::string(word);
    } else {
      line = std::move(longer);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

void draw_text(cairo_t* cr, std::string_view text, double x, double baseline, const TextStyle& style,
               double max_width) {
  cairo_save(cr);
  select_font(cr, style);
  std::string shown = fitted(cr, displayable_text(text), max_width);
  double w = advance(cr, shown);
  double left = style.align == Align::Left ? x : style.align == Align::Centre ? x - w / 2 : x - w;
  set_colour(cr, style.colour);
  cairo_move_to(cr, left, baseline);
  cairo_show_text(cr, shown.c_str());
  cairo_new_path(cr);
  cairo_restore(cr);
}

// --- the status bar ------------------------------------------------------------

namespace {

void signal_bars(cairo_t* cr, double right, double bottom, double scale) {
  const double bar = 3 * scale, gap = 1.7 * scale;
  const double heights[] = {3.6, 5.8, 8.0, 10.4};
  for (int i = 0; i < 4; ++i) {
    double h = heights[i] * scale;
    double x = right - (4 - i) * bar - (3 - i) * gap;
    rounded_rect_path(cr, x, bottom - h, bar, h, 0.9 * scale);
  }
  cairo_fill(cr);
}

void wifi(cairo_t* cr, double cx, double bottom, double scale) {
  // Three arcs over a dot, opening upwards.
  const double a0 = -M_PI * 3 / 4, a1 = -M_PI / 4;
  cairo_move_to(cr, cx, bottom);
  cairo_arc(cr, cx, bottom, 3.4 * scale, a0, a1);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_set_line_width(cr, 2.1 * scale);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (double r : {6.6, 10.0}) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, bottom - 0.4 * scale, r * scale, a0 + 0.06, a1 - 0.06);
    cairo_stroke(cr);
  }
}

void battery(cairo_t* cr, double x, double y, double scale, const Rgba& colour) {
  const double w = 24 * scale, h = 11.5 * scale;
  Rgba faint = colour;
  faint[3] *= 0.4;
  set_colour(cr, faint);
  cairo_set_line_width(cr, 1 * scale);
  rounded_rect_path(cr, x + 0.5 * scale, y + 0.5 * scale, w - scale, h - scale, 3 * scale);
  cairo_stroke(cr);
  rounded_rect_path(cr, x + w + 1 * scale, y + 3.75 * scale, 1.5 * scale, 4 * scale, 0.7 * scale);
  cairo_fill(cr);
  set_colour(cr, colour);
  rounded_rect_path(cr, x + 2 * scale, y + 2 * scale, (w - 4 * scale) * 0.82, h - 4 * scale, 1.6 * scale);
  cairo_fill(cr);
}

}  // namespace

void draw_status_bar_glyphs(cairo_t* cr, double width, double height, const Rgba& colour) {
  cairo_save(cr);
  set_colour(cr, colour);
  if (height >= 30) {
    // The modern bar: the time in the left ear, the indicators in the right.
    const double mid = height * 0.5 + 0.5;
    draw_text(cr, "9:41", width * 0.144, mid + 5.5, TextStyle{15.5, true, colour, Align::Centre});
    set_colour(cr, colour);
    const double bottom = mid + 5.2;
    battery(cr, width - 14 - 26.5, bottom - 11.5, 1, colour);
    set_colour(cr, colour);
    wifi(cr, width - 14 - 26.5 - 13, bottom, 1);
    signal_bars(cr, width - 14 - 26.5 - 24.5, bottom, 1);
  } else {
    // The legacy bar: signal at the left, the time centred, battery at the right.
    const double scale = std::max(height, 0.0) / 20.0;
    const double bottom = height * 0.5 + 5 * scale;
    signal_bars(cr, 6 * scale + 4 * 3 * 0.8 * scale + 3 * 1.7 * 0.8 * scale, bottom, 0.8 * scale);
    draw_text(cr, "9:41 AM", width / 2, bottom + 0.5 * scale,
              TextStyle{12 * scale, true, colour, Align::Centre});
    battery(cr, width - 6 * scale - 24 * 0.85 * scale - 2.5 * scale, bottom - 11.5 * 0.85 * scale,
            0.85 * scale, colour);
  }
  cairo_new_path(cr);
  cairo_restore(cr);
}

// --- icons -----------------------------------------------------------------------

void draw_folder_grid(cairo_t* cr, double width, double height) {
  static constexpr Rgba kMinis[] = {
      {0.98, 0.36, 0.27, 1}, {0.20, 0.60, 0.98, 1}, {0.30, 0.78, 0.40, 1},
      {1.00, 0.76, 0.20, 1}, {0.62, 0.38, 0.92, 1}, {0.10, 0.74, 0.72, 1},
      {0.96, 0.28, 0.52, 1}, {0.45, 0.47, 0.52, 1}, {0.99, 0.56, 0.16, 1},
  };
  const double side = std::min(width, height);
  if (!(side > 0)) return;
  const double mini = side * 0.2, gap = side * 0.05;
  const double grid = 3 * mini + 2 * gap;
  const double x0 = (width - grid) / 2, y0 = (height - grid) / 2;
  cairo_save(cr);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) {
      set_colour(cr, kMinis[row * 3 + col]);
      rounded_rect_path(cr, x0 + col * (mini + gap), y0 + row * (mini + gap), mini, mini,
                        icon_corner_radius(mini));
      cairo_fill(cr);
    }
  cairo_restore(cr);
}

void draw_menu_symbol(cairo_t* cr, size_t index, double cx, double cy, const Rgba& colour) {
  cairo_save(cr);
  set_colour(cr, colour);
  cairo_set_line_width(cr, 1.6);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  switch (index % 3) {
    case 0:  // four small squares: the home screen's grid
      for (int i = 0; i < 4; ++i)
        rounded_rect_path(cr, cx - 8 + (i % 2) * 9.5, cy - 8 + (i / 2) * 9.5, 6.5, 6.5, 1.8);
      cairo_stroke(cr);
      break;
    case 1:  // a tray with an arrow rising out of it: share
      cairo_move_to(cr, cx - 4.5, cy - 2.5);
      cairo_line_to(cr, cx - 7, cy - 2.5);
      cairo_line_to(cr, cx - 7, cy + 8.5);
      cairo_line_to(cr, cx + 7, cy + 8.5);
      cairo_line_to(cr, cx + 7, cy - 2.5);
      cairo_line_to(cr, cx + 4.5, cy - 2.5);
      cairo_move_to(cr, cx, cy + 3);
      cairo_line_to(cr, cx, cy - 9);
      cairo_move_to(cr, cx - 3.8, cy - 5.5);
      cairo_line_to(cr, cx, cy - 9.2);
      cairo_line_to(cr, cx + 3.8, cy - 5.5);
      cairo_stroke(cr);
      break;
    default:  // a circle with a bar through it: remove
      cairo_arc(cr, cx, cy, 8.5, 0, 2 * M_PI);
      cairo_move_to(cr, cx - 4.5, cy);
      cairo_line_to(cr, cx + 4.5, cy);
      cairo_stroke(cr);
      break;
  }
  cairo_new_path(cr);
  cairo_restore(cr);
}

}  // namespace sim::render
