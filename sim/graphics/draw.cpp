// CGContextDrawImage: area-averaging resampling and source-over compositing
// of premultiplied pixels. This file chooses the route; each route is a file
// of its own.
//
// Three routes, one result: every route gives the bytes the reference route
// gives.
//  - Reference (draw_resample.cpp): a separable box filter with exact
//    fractional coverage, in doubles, for any rect and destination layout.
//  - Identity (draw_identity.cpp): the rect has the image's own size at
//    whole-pixel coordinates. Each pixel is composited as it is (integer
//    source-over), with no resampling at all. This is the icon-sized draw
//    that the host repeats in every layout pass.
//  - Whole blocks (draw_blocks.cpp): the rect is at whole-pixel coordinates
//    and the image is an exact multiple k (2 to 16) of its size, as when an
//    icon drawn at 2x or 3x is sampled at its point size. Block sums are
//    taken in integers and the bytes derived exactly; the rare pixel whose
//    rounding could differ is handed to the reference route.
// The fast routes apply to four-byte RGB destinations only.
//
// Kernels: each route has plain per-pixel loops and SSE2 forms of them; the
// whole-block route also has AVX2 kernels (draw_blocks_avx2.cpp, the only
// file built with AVX2), used where the CPU has AVX2. The switches in
// draw_switches.h force the reference route and turn the vector kernels off,
// so that the same seeded tests compare every combination with the plain
// reference.
#include <atomic>
#include <cmath>

#include "sim/graphics/draw_routes.h"
#include "sim/graphics/draw_switches.h"

namespace sim::graphics {

std::atomic<bool> g_force_reference{false};
std::atomic<bool> g_vector_kernels{true};
std::atomic<bool> g_wide_block_sums{true};

bool force_reference_route(bool on) {
  g_force_reference.store(on, std::memory_order_relaxed);
  return on;
}

bool use_vector_kernels(bool enabled) {
  g_vector_kernels.store(enabled, std::memory_order_relaxed);
#if defined(__SSE2__)
  return enabled;
#else
  return false;
#endif
}

bool use_wide_block_sums(bool enabled) {
  g_wide_block_sums.store(enabled, std::memory_order_relaxed);
  return enabled && vector_kernels_enabled() && wide_block_sums_available();
}

}  // namespace sim::graphics

using namespace sim::graphics;

extern "C" void CGContextDrawImage(CGContextRef ctx, CGRect rect, CGImageRef image) {
  if (!ctx || !image) return;
  double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) return;
  // A negative size extends the rect the other way from its origin.
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  if (!(w > 0 && h > 0)) return;

  // Memory coordinates: row 0 is the top of the context, at y = height.
  const double width = double(ctx->width), height = double(ctx->height);
  const double left = x, right = x + w;
  const double top = height - (y + h), bottom = height - y;
  if (!std::isfinite(right) || !std::isfinite(top) || !std::isfinite(bottom)) return;
  if (!(right > 0 && left < width && bottom > 0 && top < height)) return;
  const auto c0 = int64_t(std::max(0.0, std::floor(left)));
  const auto c1 = int64_t(std::min(width, std::ceil(right)));
  const auto r0 = int64_t(std::max(0.0, std::floor(top)));
  const auto r1 = int64_t(std::min(height, std::ceil(bottom)));
  if (c1 <= c0 || r1 <= r0) return;

  Order order;
  if (!g_force_reference.load(std::memory_order_relaxed) && left == std::floor(left) &&
      top == std::floor(top) && destination_order(ctx->layout, &order)) {
    if (w == double(image->width) && h == double(image->height)) {
      draw_identity(ctx, image, order, int64_t(left), int64_t(top), c0, c1, r0, r1);
      return;
    }
    if (const uint32_t k = reduction_factor(image, w, h)) {
      draw_reduced(ctx, image, order, k, left, top, w, h, c0, c1, r0, r1);
      return;
    }
  }
  draw_resampled(ctx, image, left, top, w, h, c0, c1, r0, r1);
}
