#include "sim/render/blur.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace sim::render {
namespace {

// One pass of a box blur along a line of `n` pixels `step` apart in `in`,
// written contiguously to `out`: each output the mean of the 2·box + 1
// inputs around it (the line's ends repeated outwards).
void blur_line(const uint32_t* in, uint32_t* out, int n, int step, int box) {
  const uint32_t window = static_cast<uint32_t>(2 * box + 1);
  uint32_t sum[4] = {0, 0, 0, 0};
  auto at = [&](int i) { return in[static_cast<std::ptrdiff_t>(std::clamp(i, 0, n - 1)) * step]; };
  auto add = [&](uint32_t p, int sign) {
    for (int c = 0; c < 4; ++c) {
      uint32_t v = (p >> (8 * c)) & 0xff;
      sum[c] = sign > 0 ? sum[c] + v : sum[c] - v;
    }
  };
  for (int i = -box; i <= box; ++i) add(at(i), +1);
  for (int i = 0; i < n; ++i) {
    uint32_t p = 0;
    for (int c = 0; c < 4; ++c) p |= ((sum[c] + window / 2) / window) << (8 * c);
    out[i] = p;
    add(at(i + box + 1), +1);
    add(at(i - box), -1);
  }
}

}  // namespace

void box_blur(std::vector<uint32_t>& pixels, int width, int height, int stride, int box) {
  if (width <= 0 || height <= 0 || box <= 0) return;
  std::vector<uint32_t> line(static_cast<size_t>(std::max(width, height)));
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < height; ++y) {
      uint32_t* row = pixels.data() + static_cast<std::ptrdiff_t>(y) * stride;
      blur_line(row, line.data(), width, 1, box);
      std::memcpy(row, line.data(), static_cast<size_t>(width) * 4);
    }
    for (int x = 0; x < width; ++x) {
      uint32_t* column = pixels.data() + x;
      blur_line(column, line.data(), height, stride, box);
      for (int y = 0; y < height; ++y)
        column[static_cast<std::ptrdiff_t>(y) * stride] = line[static_cast<size_t>(y)];
    }
  }
}

void paint_blurred_backdrop(cairo_t* cr, double x, double y, double w, double h, double radius) {
  if (!(w > 0) || !(h > 0)) return;
  cairo_surface_t* target = cairo_get_group_target(cr);
  if (!target || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return;
  if (cairo_image_surface_get_format(target) != CAIRO_FORMAT_ARGB32) return;

  // The rectangle in the target's pixels (the renderer only translates and
  // scales, so the corners bound it).
  double x0 = x, y0 = y, x1 = x + w, y1 = y + h;
  cairo_user_to_device(cr, &x0, &y0);
  cairo_user_to_device(cr, &x1, &y1);
  double rx = radius, ry = 0;
  cairo_user_to_device_distance(cr, &rx, &ry);
  const double pixels_radius = std::hypot(rx, ry);
  double ox = 0, oy = 0;
  cairo_surface_get_device_offset(target, &ox, &oy);
  const int tw = cairo_image_surface_get_width(target), th = cairo_image_surface_get_height(target);
  const int margin = static_cast<int>(std::ceil(pixels_radius));
  auto clamp_to = [](double v, int hi) {
    return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(hi)));
  };
  const int left = clamp_to(std::floor(std::min(x0, x1) + ox) - margin, tw);
  const int top = clamp_to(std::floor(std::min(y0, y1) + oy) - margin, th);
  const int right = clamp_to(std::ceil(std::max(x0, x1) + ox) + margin, tw);
  const int bottom = clamp_to(std::ceil(std::max(y0, y1) + oy) + margin, th);
  const int rw = right - left, rh = bottom - top;
  if (rw <= 0 || rh <= 0) return;

  cairo_surface_flush(target);
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, rw) / 4;
  std::vector<uint32_t> region(static_cast<size_t>(stride) * static_cast<size_t>(rh));
  const unsigned char* data = cairo_image_surface_get_data(target);
  const int target_stride = cairo_image_surface_get_stride(target);
  for (int j = 0; j < rh; ++j)
    std::memcpy(
        region.data() + static_cast<std::ptrdiff_t>(j) * stride,
        data + static_cast<std::ptrdiff_t>(top + j) * target_stride + static_cast<std::ptrdiff_t>(left) * 4,
        static_cast<size_t>(rw) * 4);
  // Three boxes of half-width b together spread about as far as a Gaussian
  // of standard deviation b: here radius / 2.
  const int box = std::max(1, static_cast<int>(std::lround(pixels_radius / 2)));
  if (pixels_radius >= 1) box_blur(region, rw, rh, stride, box);

  cairo_surface_t* blurred = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(region.data()), CAIRO_FORMAT_ARGB32, rw, rh, stride * 4);
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_source_surface(cr, blurred, left - ox, top - oy);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(blurred);
}

}  // namespace sim::render
