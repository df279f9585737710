// The host's own small drawings: text lines, the status bar's glyphs, icon
// shapes, a closed folder's miniature icons, menu symbols. Coordinates are
// in points of the cairo context's user space.
#pragma once

#include <cairo.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sim::render {

using Rgba = std::array<double, 4>;  // straight, 0 to 1

// Sets a straight RGBA source, each component clamped to 0..1 (a NaN reads
// as 0), as a display would show an out-of-range colour.
void set_colour(cairo_t* cr, const Rgba& colour);
Rgba clamped(const Rgba& colour);

// A rounded-rectangle path; the radius is limited to half the shorter side.
void rounded_rect_path(cairo_t* cr, double x, double y, double w, double h, double radius);

// The corner radius of an icon `side` points wide.
double icon_corner_radius(double side);

// Text for cairo: valid UTF-8 with no control characters. Bad bytes and
// control characters become U+FFFD, so that a file name of any bytes can
// be shown (cairo refuses invalid UTF-8 and stops drawing altogether).
std::string displayable_text(std::string_view text);

enum class Align { Left, Centre, Right };

struct TextStyle {
  double size = 15;
  bool bold = false;
  Rgba colour{0, 0, 0, 1};
  Align align = Align::Left;
};

// The width `text` takes in `style`.
double text_width(cairo_t* cr, std::string_view text, const TextStyle& style);

// One line of text with its baseline at y, anchored at x by the alignment.
// Text wider than max_width (when positive) is cut and ends with "…".
void draw_text(cairo_t* cr, std::string_view text, double x, double baseline, const TextStyle& style,
               double max_width = 0);

// `text` broken into lines no wider than `width` in `style`, at spaces; a
// word wider than the line stands on a line of its own (draw_text cuts it).
std::vector<std::string> wrap_text(cairo_t* cr, std::string_view text, const TextStyle& style, double width);

// A status bar's time, signal bars, Wi-Fi and battery over a bar of the
// given size, in `colour`. A bar at least 30 points high is laid out as
// the modern bar (time at the left, the rest at the right), a lower one as
// the legacy bar (signal at the left, time centred, battery at the right).
void draw_status_bar_glyphs(cairo_t* cr, double width, double height, const Rgba& colour);

// Nine miniature icons in a grid over an icon `side` points wide.
void draw_folder_grid(cairo_t* cr, double width, double height);

// The symbol at the end of menu row `index`, centred on (cx, cy).
void draw_menu_symbol(cairo_t* cr, size_t index, double cx, double cy, const Rgba& colour);

}  // namespace sim::render
