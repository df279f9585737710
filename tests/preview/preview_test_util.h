// Helpers for the renderer and preview tests: drawing host views onto a
// plain backdrop and reading pixels back.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "sim/render/renderer.h"
#include "sim/render/surface.h"

namespace corvane_test {

using Pixel = std::array<uint8_t, 4>;

// Draws the views over an opaque white backdrop, `scale` pixels per point.
inline sim::render::Surface draw_on_white(std::initializer_list<id> views, int width, int height,
                                          double scale = 1) {
  sim::render::Surface s(static_cast<int>(width * scale), static_cast<int>(height * scale));
  cairo_t* cr = cairo_create(s.get());
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_scale(cr, scale, scale);
  for (id v : views) sim::render::draw_view(cr, v);
  cairo_destroy(cr);
  return s;
}

// Whether two pixels agree within `tolerance` in every channel.
inline bool pixel_close(const Pixel& got, const Pixel& want, int tolerance) {
  for (int c = 0; c < 4; ++c)
    if (std::abs(static_cast<int>(got[c]) - static_cast<int>(want[c])) > tolerance) return false;
  return true;
}

// The same, as an assertion that shows both pixels when it fails.
inline ::testing::AssertionResult near_pixel(const Pixel& got, const Pixel& want, int tolerance) {
  if (!pixel_close(got, want, tolerance))
    return ::testing::AssertionFailure()
           << "got (" << int(got[0]) << "," << int(got[1]) << "," << int(got[2]) << "," << int(got[3])
           << ") want (" << int(want[0]) << "," << int(want[1]) << "," << int(want[2]) << "," << int(want[3])
           << ") within " << tolerance;
  return ::testing::AssertionSuccess();
}

// A picture read back from a PNG file (an error surface when unreadable).
inline sim::render::Surface read_png(const std::string& path) {
  cairo_surface_t* loaded = cairo_image_surface_create_from_png(path.c_str());
  sim::render::Surface s;
  if (cairo_surface_status(loaded) == CAIRO_STATUS_SUCCESS) {
    const int w = cairo_image_surface_get_width(loaded), h = cairo_image_surface_get_height(loaded);
    s = sim::render::Surface(w, h);
    cairo_t* cr = cairo_create(s.get());
    cairo_set_source_surface(cr, loaded, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  cairo_surface_destroy(loaded);
  return s;
}

}  // namespace corvane_test
