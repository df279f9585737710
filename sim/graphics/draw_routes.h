// The routes of CGContextDrawImage, each in a file of its own, and the
// switches they consult. Internal to sim/graphics; draw.cpp chooses the
// route. Every route takes the destination's clipped pixel range: columns
// [c0, c1) and rows [r0, r1) in memory coordinates (row 0 at the top), and
// the rect as left, top, w, h in the same coordinates.
#pragma once

#include <atomic>
#include <cstdint>

#include "sim/graphics/draw_pixels.h"

namespace sim::graphics {

// The switches of draw_switches.h, as draw.cpp holds them: the reference
// route forced, the vector kernels (read by every route's loops) and the
// whole-block route's AVX2 kernels allowed.
extern std::atomic<bool> g_force_reference;
extern std::atomic<bool> g_vector_kernels;
extern std::atomic<bool> g_wide_block_sums;
inline bool vector_kernels_enabled() { return g_vector_kernels.load(std::memory_order_relaxed); }

// Whether the CPU has AVX2 and this build has the AVX2 kernels.
bool wide_block_sums_available();

// The reference route: a separable box filter with exact fractional
// coverage, in doubles (draw_resample.cpp). Applies to any rect and layout.
void draw_resampled(CGContext* ctx, const CGImage* image, double left, double top, double w, double h,
                    int64_t c0, int64_t c1, int64_t r0, int64_t r1);

// The identity route (draw_identity.cpp): the image at its own size at
// whole-pixel offset (dx, dy), onto a four-byte RGB destination of `order`.
void draw_identity(CGContext* ctx, const CGImage* image, Order order, int64_t dx, int64_t dy, int64_t c0,
                   int64_t c1, int64_t r0, int64_t r1);

// The whole-block route (draw_blocks.cpp). reduction_factor is the k with
// which the image is exactly k times a whole-pixel w x h (2 <= k <= 16), or
// 0; draw_reduced draws it onto a four-byte RGB destination of `order`.
uint32_t reduction_factor(const CGImage* image, double w, double h);
void draw_reduced(CGContext* ctx, const CGImage* image, Order order, uint32_t k, double left, double top,
                  double w, double h, int64_t c0, int64_t c1, int64_t r0, int64_t r1);

}  // namespace sim::graphics
