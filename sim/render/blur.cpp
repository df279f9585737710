#include "sim/render/blur.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sim::render {
namespace {

// A pixel's four channels, widened to 32-bit lanes for running sums, and as
// floats for taking means: one SIMD register each.
using Lanes = int32_t __attribute__((vector_size(16)));
using FloatLanes = float __attribute__((vector_size(16)));

#if defined(__SSE2__)
Lanes widen(uint32_t pixel) {
  const __m128i zero = _mm_setzero_si128();
  return reinterpret_cast<Lanes>(
      _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixel)), zero), zero));
}

// Lanes of 0 to 255 back into a pixel's bytes.
uint32_t narrow(Lanes lanes) {
  const __m128i words = _mm_packs_epi32(reinterpret_cast<__m128i>(lanes), reinterpret_cast<__m128i>(lanes));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}
#else
Lanes widen(uint32_t pixel) {
  return Lanes{static_cast<int32_t>(pixel & 0xff), static_cast<int32_t>((pixel >> 8) & 0xff),
               static_cast<int32_t>((pixel >> 16) & 0xff), static_cast<int32_t>(pixel >> 24)};
}

uint32_t narrow(Lanes lanes) {
  return static_cast<uint32_t>(lanes[0]) | static_cast<uint32_t>(lanes[1]) << 8 |
         static_cast<uint32_t>(lanes[2]) << 16 | static_cast<uint32_t>(lanes[3]) << 24;
}
#endif

// The rounded mean of a window's sums, (sum + window / 2) / window in
// integers, each channel at once. Taken in floats as (sum + window / 2 +
// 1/2) / window, which lies at least 1 / (2 · window) from any whole
// number, far more than the product's rounding error (under 256 · 2^-23)
// while the window is narrower than 16000 pixels: the truncation is exact.
class WindowMean {
 public:
  explicit WindowMean(int window)
      : offset_(static_cast<float>(window / 2) + 0.5f), scale_(1.0f / static_cast<float>(window)) {}
  uint32_t operator()(Lanes sum) const {
    const FloatLanes mean = (__builtin_convertvector(sum, FloatLanes) + offset_) * scale_;
    return narrow(__builtin_convertvector(mean, Lanes));
  }

 private:
  float offset_, scale_;
};

// One box pass along a row of `n` contiguous pixels from `in` to `out`: each
// output the mean of the 2·box + 1 inputs around it (the row's ends repeated
// outwards), from a running sum.
void blur_row(const uint32_t* in, uint32_t* out, int n, int box, const WindowMean& mean) {
  Lanes sum = {0, 0, 0, 0};
  for (int i = -box; i <= box; ++i) sum += widen(in[std::clamp(i, 0, n - 1)]);
  for (int i = 0; i < n; ++i) {
    out[i] = mean(sum);
    sum += widen(in[std::min(i + box + 1, n - 1)]) - widen(in[std::max(i - box, 0)]);
  }
}

// The same pass down every column of a picture, `stride` pixels a row, from
// `in` to `out`: a running sum per column, moved down a row at a time so
// that memory is read along rows.
void blur_columns(const uint32_t* in, uint32_t* out, int width, int height, int stride, int box,
                  const WindowMean& mean, std::vector<Lanes>& sums) {
  sums.assign(static_cast<size_t>(width), Lanes{0, 0, 0, 0});
  auto row = [&](int y) { return in + static_cast<std::ptrdiff_t>(std::clamp(y, 0, height - 1)) * stride; };
  for (int y = -box; y <= box; ++y) {
    const uint32_t* r = row(y);
    for (int x = 0; x < width; ++x) sums[static_cast<size_t>(x)] += widen(r[x]);
  }
  for (int y = 0; y < height; ++y) {
    uint32_t* o = out + static_cast<std::ptrdiff_t>(y) * stride;
    const uint32_t *enter = row(y + box + 1), *leave = row(y - box);
    for (int x = 0; x < width; ++x) {
      Lanes& sum = sums[static_cast<size_t>(x)];
      o[x] = mean(sum);
      sum += widen(enter[x]) - widen(leave[x]);
    }
  }
}

}  // namespace

void box_blur(std::vector<uint32_t>& pixels, int width, int height, int stride, int box) {
  if (width <= 0 || height <= 0 || box <= 0) return;
  box = std::min(box, kMaxBlurBox);
  const WindowMean mean(2 * box + 1);
  // Rows go from the picture to `across`, columns back again.
  std::vector<uint32_t> across(pixels.size());
  std::vector<Lanes> sums;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < height; ++y) {
      const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * stride;
      blur_row(pixels.data() + at, across.data() + at, width, box, mean);
    }
    blur_columns(across.data(), pixels.data(), width, height, stride, box, mean, sums);
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
