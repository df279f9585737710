// The preview's own pictures, drawn in code: application icons, the
// wallpaper, and the phone around the screen.
#pragma once

#include <cairo.h>

#include "sim/runtime/runtime.h"

namespace corvane::cli {

enum class BuiltinIcon {
  Chat,     // the banner's application
  Agenda,   // the widget's application
  Garden,   // the application the force-touch menu is raised from
  Call,     // dock
  Post,     // dock
  Lens,     // dock
  Weather,  // home screen
  Notes,    // home screen
  Music,    // home screen
  Clock,    // home screen
  Books,    // home screen
  Pin,      // home screen
  Tiles,    // home screen
};

// A full-square icon (the home screen masks it to its rounded shape),
// `points` wide at `scale`, as a new autoreleased UIImage of the host.
id make_builtin_icon(BuiltinIcon icon, double points, double scale);

// The wallpaper over (0, 0, width, height) in user space, as the light style
// shows it; the dark style dims it with dim_wallpaper over it.
void draw_undimmed_wallpaper(cairo_t* cr, double width, double height);
void dim_wallpaper(cairo_t* cr, double width, double height);

// The phone's body around a screen at (x, y, width, height): the bezel
// behind it. The sensor housing goes over the screen with
// draw_phone_overlays once the screen is drawn.
inline constexpr double kBezel = 12;
inline constexpr double kScreenCornerRadius = 44;
void draw_phone_body(cairo_t* cr, double x, double y, double width, double height);
void draw_phone_overlays(cairo_t* cr, double x, double y, double width);

// The home screen's page dots, centred on (cx, cy): the first page current.
void draw_page_dots(cairo_t* cr, double cx, double cy, int pages, bool dark);

}  // namespace corvane::cli
