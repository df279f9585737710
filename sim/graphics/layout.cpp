// Pixel layouts: how a colour model and a bitmap-info value place the
// components of one pixel in memory, and which of them bitmap contexts accept.
#include <utility>

#include "sim/graphics/cg_objects.h"

namespace sim::graphics {

namespace {

constexpr int8_t kAlphaRole = 4;  // role number of alpha/padding in a sequence

int component_count(PixelModel model) {
  switch (model) {
    case PixelModel::Gray: return 1;
    case PixelModel::RGB: return 3;
    case PixelModel::CMYK: return 4;
    case PixelModel::AlphaOnly: return 0;
  }
  return 0;
}

}  // namespace

bool describe_layout(PixelModel model, uint32_t bitmap_info, Layout* out) {
  if (bitmap_info & ~uint32_t(kCGBitmapAlphaInfoMask | kCGBitmapByteOrderMask)) return false;
  const uint32_t alpha = bitmap_info & kCGBitmapAlphaInfoMask;
  const uint32_t order = bitmap_info & kCGBitmapByteOrderMask;
  if (alpha > kCGImageAlphaOnly || order > kCGBitmapByteOrder32Big) return false;
  if ((model == PixelModel::AlphaOnly) != (alpha == kCGImageAlphaOnly)) return false;
  if (model == PixelModel::CMYK && alpha != kCGImageAlphaNone) return false;

  // Roles in big-endian (default) order: 0..3 colour components, 4 alpha.
  int8_t roles[5];
  int n = 0;
  const int components = component_count(model);
  const bool alpha_first = alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaFirst ||
                           alpha == kCGImageAlphaNoneSkipFirst;
  const bool has_alpha_byte = alpha != kCGImageAlphaNone;
  if (has_alpha_byte && alpha_first) roles[n++] = kAlphaRole;
  for (int c = 0; c < components; ++c) roles[n++] = int8_t(c);
  if (has_alpha_byte && !alpha_first) roles[n++] = kAlphaRole;

  switch (order) {
    case kCGBitmapByteOrderDefault: break;
    case kCGBitmapByteOrder16Big:
    case kCGBitmapByteOrder16Little:
      if (n != 2) return false;
      break;
    case kCGBitmapByteOrder32Big:
    case kCGBitmapByteOrder32Little:
      if (n != 4) return false;
      break;
    default: return false;
  }
  if (order == kCGBitmapByteOrder16Little || order == kCGBitmapByteOrder32Little) {
    for (int i = 0; i < n / 2; ++i) std::swap(roles[i], roles[n - 1 - i]);
  }

  Layout layout;
  layout.model = model;
  layout.bytes_per_pixel = uint8_t(n);
  for (int i = 0; i < n; ++i) {
    if (roles[i] == kAlphaRole) {
      layout.alpha = int8_t(i);
    } else {
      layout.colour[roles[i]] = int8_t(i);
    }
  }
  layout.skip = alpha == kCGImageAlphaNoneSkipFirst || alpha == kCGImageAlphaNoneSkipLast;
  layout.premultiplied = alpha != kCGImageAlphaLast && alpha != kCGImageAlphaFirst;
  *out = layout;
  return true;
}

bool context_layout_accepted(PixelModel model, uint32_t bitmap_info) {
  Layout layout;
  if (!describe_layout(model, bitmap_info, &layout)) return false;
  const uint32_t alpha = bitmap_info & kCGBitmapAlphaInfoMask;
  const uint32_t order = bitmap_info & kCGBitmapByteOrderMask;
  const bool order32 = order == kCGBitmapByteOrderDefault || order == kCGBitmapByteOrder32Big ||
                       order == kCGBitmapByteOrder32Little;
  switch (model) {
    case PixelModel::RGB:
      return order32 &&
             (alpha == kCGImageAlphaPremultipliedLast || alpha == kCGImageAlphaPremultipliedFirst ||
              alpha == kCGImageAlphaNoneSkipLast || alpha == kCGImageAlphaNoneSkipFirst);
    case PixelModel::Gray: return alpha == kCGImageAlphaNone && order == kCGBitmapByteOrderDefault;
    case PixelModel::CMYK: return alpha == kCGImageAlphaNone && order32;
    case PixelModel::AlphaOnly: return false;
  }
  return false;
}

void read_premultiplied_rgba(const Layout& layout, const uint8_t* p, uint8_t rgba[4]) {
  const unsigned a = (layout.alpha >= 0 && !layout.skip) ? p[layout.alpha] : 255u;
  unsigned r = 0, g = 0, b = 0;
  switch (layout.model) {
    case PixelModel::Gray: r = g = b = p[layout.colour[0]]; break;
    case PixelModel::RGB:
      r = p[layout.colour[0]];
      g = p[layout.colour[1]];
      b = p[layout.colour[2]];
      break;
    case PixelModel::CMYK: {
      // Uncalibrated device conversion: each ink and black subtract light.
      const unsigned white = 255u - p[layout.colour[3]];
      r = ((255u - p[layout.colour[0]]) * white + 127u) / 255u;
      g = ((255u - p[layout.colour[1]]) * white + 127u) / 255u;
      b = ((255u - p[layout.colour[2]]) * white + 127u) / 255u;
      break;
    }
    case PixelModel::AlphaOnly: break;
  }
  if (!layout.premultiplied && a != 255u) {
    // c x a / 255 rounded to nearest (the quotient is never exactly .5).
    r = (r * a + 127u) / 255u;
    g = (g * a + 127u) / 255u;
    b = (b * a + 127u) / 255u;
  }
  rgba[0] = uint8_t(r);
  rgba[1] = uint8_t(g);
  rgba[2] = uint8_t(b);
  rgba[3] = uint8_t(a);
}

}  // namespace sim::graphics
