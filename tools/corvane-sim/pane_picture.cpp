// The pane's picture. The page comes from the pane, opened in the simulated
// Settings app as `process settings`, `load` and `pane open` open it; the
// drawing follows the grouped table of the Settings app: iOS 13 draws its
// groups edge to edge with hairlines above and below, iOS 14 insets them
// with rounded corners. Colours are UIKit's system colours of iOS 13/14 in
// their light and dark variants (systemGroupedBackground, label,
// secondaryLabel, separator, systemBlue, systemGreen ...). What the host
// picks where the framework's drawing is not documented:
// - a slider row shows its label at the left, the slider after it and, with
//   showValue, the value to two decimals at the right;
// - the per-application list's button (it pushes the list library's picker)
//   is drawn as a row that opens a page: its label and a chevron. The other
//   buttons show their label in the tint colour; a disabled row is greyed.
#include "tools/corvane-sim/pane_picture.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "prefs/page.h"
#include "sim/foundation/foundation.h"
#include "sim/preferences/settings_app.h"
#include "sim/render/glyphs.h"
#include "sim/render/surface.h"
#include "tools/corvane-sim/render.h"

namespace corvane::cli {
namespace {

using sim::render::draw_text;
using sim::render::Rgba;
using sim::render::set_colour;
using sim::render::TextStyle;

constexpr double kWidth = kScreenWidth;
constexpr double kStatusBarHeight = 44;
constexpr double kNavigationBarHeight = 44;
constexpr double kRowHeight = 44;
constexpr double kTextInset = 16;    // from the cell's edge to its text
constexpr double kInsetMargin = 16;  // iOS 14: from the screen's edge to the cell's
constexpr double kInsetCornerRadius = 10;
constexpr double kSliderStart = 182;  // from the cell's edge: a slider row's label ends before it
constexpr double kValueWidth = 44;    // a slider's value text
constexpr double kBottomPadding = 34;

struct Palette {
  Rgba background, cell, label, secondary, tertiary, separator, tint, switch_on, track_off;
};

Palette palette(bool dark) {
  if (dark)
    return Palette{{0, 0, 0, 1},
                   {0.110, 0.110, 0.118, 1},
                   {1, 1, 1, 1},
                   {0.922, 0.922, 0.961, 0.6},
                   {0.922, 0.922, 0.961, 0.3},
                   {0.329, 0.329, 0.345, 0.6},
                   {0.039, 0.518, 1, 1},
                   {0.188, 0.820, 0.345, 1},
                   {0.471, 0.471, 0.502, 0.32}};
  return Palette{{0.949, 0.949, 0.969, 1},
                 {1, 1, 1, 1},
                 {0, 0, 0, 1},
                 {0.235, 0.235, 0.263, 0.6},
                 {0.235, 0.235, 0.263, 0.3},
                 {0.235, 0.235, 0.263, 0.29},
                 {0, 0.478, 1, 1},
                 {0.204, 0.780, 0.349, 1},
                 {0.471, 0.471, 0.502, 0.16}};
}

void fill_rect(cairo_t* cr, double x, double y, double w, double h, const Rgba& colour) {
  set_colour(cr, colour);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

void draw_chevron(cairo_t* cr, double x, double cy, const Rgba& colour) {
  cairo_save(cr);
  set_colour(cr, colour);
  cairo_set_line_width(cr, 2.2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_move_to(cr, x, cy - 6);
  cairo_line_to(cr, x + 6, cy);
  cairo_line_to(cr, x, cy + 6);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// A white knob with a hairline edge, which keeps it apart from a white cell.
void draw_knob(cairo_t* cr, double cx, double cy, double radius) {
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.08);
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
}

// A switch, 51 × 31 points, its right edge at `right`.
void draw_switch(cairo_t* cr, double right, double cy, bool on, const Palette& p) {
  const double w = 51, h = 31, x = right - w, y = cy - h / 2;
  sim::render::rounded_rect_path(cr, x, y, w, h, h / 2);
  set_colour(cr, on ? p.switch_on : p.track_off);
  cairo_fill(cr);
  const double knob_x = on ? x + w - h / 2 : x + h / 2;
  cairo_arc(cr, knob_x, cy + 1, 13.5, 0, 2 * M_PI);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.12);
  cairo_fill(cr);
  draw_knob(cr, knob_x, cy, 13.5);
}

// A slider from x0 to x1 with its thumb at `fraction` (0 to 1).
void draw_slider(cairo_t* cr, double x0, double x1, double cy, double fraction, const Palette& p) {
  const double at = x0 + (x1 - x0) * std::clamp(fraction, 0.0, 1.0);
  cairo_save(cr);
  cairo_set_line_width(cr, 4);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  set_colour(cr, p.track_off);
  cairo_move_to(cr, at, cy);
  cairo_line_to(cr, x1, cy);
  cairo_stroke(cr);
  set_colour(cr, p.tint);
  cairo_move_to(cr, x0, cy);
  cairo_line_to(cr, at, cy);
  cairo_stroke(cr);
  cairo_restore(cr);
  cairo_arc(cr, at, cy + 1.5, 14, 0, 2 * M_PI);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.14);
  cairo_fill(cr);
  draw_knob(cr, at, cy, 14);
}

void draw_row(cairo_t* cr, const PaneRow& row, double left, double right, double y, const Palette& p) {
  const double cy = y + kRowHeight / 2, baseline = cy + 6;
  const double text_x = left + kTextInset, end = right - kTextInset;
  TextStyle label{17, false, row.enabled ? p.label : p.tertiary};
  if (row.cell == "button" && !row.opens_page && row.enabled) label.colour = p.tint;
  TextStyle detail{17, false, p.secondary, sim::render::Align::Right};
  double label_room = end - text_x;
  if (row.cell == "switch") {
    draw_switch(cr, end, cy, row.on, p);
    label_room -= 51 + 8;
  } else if (row.cell == "slider") {
    const double span = row.max - row.min;
    const double fraction = span > 0 ? (row.value - row.min) / span : 0;
    const double slider_end = row.show_value ? end - kValueWidth - 10 : end;
    draw_slider(cr, left + kSliderStart + 14, slider_end - 14, cy, fraction, p);
    if (row.show_value) {
      char text[32];
      std::snprintf(text, sizeof text, "%.2f", row.value);
      draw_text(cr, text, end, baseline, detail);
    }
    label_room = kSliderStart - kTextInset - 8;
  } else if (row.cell == "value") {
    draw_text(cr, row.detail, end, baseline, detail, (end - text_x) / 2);
    label_room = (end - text_x) / 2 - 8;
  }
  if (row.opens_page || row.cell == "link") {
    if (row.enabled) draw_chevron(cr, end - 6, cy, p.tertiary);
    label_room -= 20;
  }
  draw_text(cr, row.label, text_x, baseline, label, label_room);
}

// The page below the bars; returns where it ends. The height of the page
// is found by drawing it once into a surface of one pixel (the footers'
// line breaks depend on the font), then it is drawn for real.
double draw_page(cairo_t* cr, const PanePage& page, bool inset, const Palette& p) {
  const double left = inset ? kInsetMargin : 0, right = kWidth - left;
  const double text_width = right - left - 2 * kTextInset;
  TextStyle caption{13, false, p.secondary};
  double y = kStatusBarHeight + kNavigationBarHeight;
  bool first = true;
  for (const PaneGroup& g : page.groups) {
    if (g.rows.empty()) continue;
    if (!g.header.empty()) {
      y += first ? 38 : 34;
      std::string upper = g.header;
      for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
      draw_text(cr, upper, left + kTextInset, y - 7, caption, text_width);
    } else {
      y += first ? 35 : 24;
    }
    first = false;
    const double height = kRowHeight * static_cast<double>(g.rows.size());
    set_colour(cr, p.cell);
    if (inset) sim::render::rounded_rect_path(cr, left, y, right - left, height, kInsetCornerRadius);
    else cairo_rectangle(cr, left, y, right - left, height);
    cairo_fill(cr);
    if (!inset) {
      fill_rect(cr, 0, y - 0.5, kWidth, 0.5, p.separator);
      fill_rect(cr, 0, y + height, kWidth, 0.5, p.separator);
    }
    for (size_t i = 0; i < g.rows.size(); ++i) {
      const double row_y = y + kRowHeight * static_cast<double>(i);
      if (i > 0) fill_rect(cr, left + kTextInset, row_y - 0.25, right - left - kTextInset, 0.5, p.separator);
      draw_row(cr, g.rows[i], left, right, row_y, p);
    }
    y += height;
    if (!g.footer.empty()) {
      y += 7;
      for (const std::string& line : sim::render::wrap_text(cr, g.footer, caption, text_width)) {
        y += 16;
        draw_text(cr, line, left + kTextInset, y - 3, caption, text_width);
      }
    }
  }
  return y + kBottomPadding;
}

// The bars over the page: the status bar, then the navigation bar with the
// way back to the root list and the pane's title.
void draw_bars(cairo_t* cr, const PanePage& page, const Palette& p) {
  const double bottom = kStatusBarHeight + kNavigationBarHeight;
  fill_rect(cr, 0, 0, kWidth, bottom, p.background);
  fill_rect(cr, 0, bottom - 0.5, kWidth, 0.5, p.separator);
  sim::render::draw_status_bar_glyphs(cr, kWidth, kStatusBarHeight, p.label);
  const double baseline = kStatusBarHeight + kNavigationBarHeight / 2 + 6;
  cairo_save(cr);
  set_colour(cr, p.tint);
  cairo_set_line_width(cr, 3);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  const double cy = kStatusBarHeight + kNavigationBarHeight / 2;
  cairo_move_to(cr, 20, cy - 10);
  cairo_line_to(cr, 10, cy);
  cairo_line_to(cr, 20, cy + 10);
  cairo_stroke(cr);
  cairo_restore(cr);
  draw_text(cr, "Settings", 27, baseline, TextStyle{17, false, p.tint});
  draw_text(cr, page.title, kWidth / 2, baseline, TextStyle{17, true, p.label, sim::render::Align::Centre},
            kWidth - 2 * 110);
}

double page_height(const PanePage& page, bool inset) {
  sim::render::Surface scratch(1, 1);
  cairo_t* cr = cairo_create(scratch.get());
  const double height = draw_page(cr, page, inset, palette(false));
  cairo_destroy(cr);
  return std::ceil(height);
}

sim::render::Surface draw_screen(const PanePage& page, bool inset, bool dark, double height, double scale) {
  sim::render::Surface s(static_cast<int>(std::lround(kWidth * scale)),
                         static_cast<int>(std::lround(height * scale)));
  if (!s.ok()) return s;
  const Palette p = palette(dark);
  cairo_t* cr = cairo_create(s.get());
  cairo_scale(cr, scale, scale);
  set_colour(cr, p.background);
  cairo_paint(cr);
  draw_page(cr, page, inset, p);
  draw_bars(cr, page, p);
  cairo_destroy(cr);
  return s;
}

PaneRow row_of(const sim::settings_app::Row& r) {
  PaneRow row;
  row.label = r.label;
  row.cell = r.cell;
  row.enabled = r.enabled;
  row.min = r.min;
  row.max = r.max;
  row.show_value = r.show_value;
  row.opens_page = r.identifier && *r.identifier == pane::kAppListRowID;
  id v = r.value;
  if (sim::is_number(v)) {
    row.on = sim::send<bool>(v, sim::sel("boolValue"));
    row.value = sim::send<double>(v, sim::sel("doubleValue"));
    if (!std::isfinite(row.value)) row.value = row.min;
  }
  if (sim::is_string(v)) row.detail = sim::string_value(v);
  return row;
}

}  // namespace

std::optional<PanePage> load_pane_page(const std::optional<std::string>& settings, const IosVersion& ios,
                                       std::string* error) {
  if (settings) {
    if (auto e = check_settings_file(*settings)) {
      *error = *e;
      return std::nullopt;
    }
  }
  Session session(std::nullopt);
  sim::ProcessOptions po = session.options();
  po.kind = sim::ProcessKind::Settings;
  po.bundle_id = "com.apple.Preferences";
  po.ios = {ios.major, ios.minor, ios.patch};
  if (auto e = session.reconfigure(po)) {
    *error = "cannot start the simulated Settings app: " + *e;
    return std::nullopt;
  }
  if (settings) {
    if (auto e = install_settings_file(session, *settings)) {
      *error = *e;
      return std::nullopt;
    }
  }
  session.process().load_library();
  sim::AutoreleasePool pool;
  if (auto e = sim::settings_app::open_pane(pane::kTitle)) {
    *error = "cannot open the settings pane: " + *e;
    return std::nullopt;
  }
  auto open = sim::settings_app::open_page();
  if (!open) {
    *error = "the Settings app shows no page";
    return std::nullopt;
  }
  PanePage page;
  page.title = open->title;
  for (const auto& g : open->groups) {
    PaneGroup group;
    group.header = g.label.value_or("");
    group.footer = g.footer.value_or("");
    for (const auto& r : g.rows) group.rows.push_back(row_of(r));
    page.groups.push_back(std::move(group));
  }
  return page;
}

PreviewPicture compose_pane(const PanePage& page, const std::string& settings_label, const IosVersion& ios,
                            double scale) {
  const bool inset = ios.major >= 14;
  const double height = page_height(page, inset);
  sim::render::Surface light = draw_screen(page, inset, false, height, scale);
  sim::render::Surface dark = draw_screen(page, inset, true, height, scale);
  return side_by_side(light, dark, CGSize{kWidth, height}, false, settings_label, ios, scale);
}

int run_pane(const PaneOptions& options, std::ostream& out, std::ostream& err) {
  if (options.settings) {
    if (auto e = check_settings_file(*options.settings)) {
      err << "corvane-sim: " << *e << "\n";
      return 2;
    }
    warn_about_settings_file(err, *options.settings);
  }
  std::string error;
  // The output's folder is checked before anything is drawn.
  sim::render::PendingFile file;
  if (!file.open(options.output, &error)) {
    err << "corvane-sim: " << error << "\n";
    return 2;
  }
  std::optional<PanePage> page = load_pane_page(options.settings, options.ios, &error);
  if (!page) {
    err << "corvane-sim: " << error << "\n";
    return 2;
  }
  PreviewPicture picture =
      compose_pane(*page, options.settings ? *options.settings : "defaults", options.ios, options.scale);
  return commit_picture(file, picture.image, options.output, out, err);
}

}  // namespace corvane::cli
