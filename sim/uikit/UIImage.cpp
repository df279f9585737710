#include "sim/uikit/UIImage.h"

#include <cmath>
#include <limits>
#include <vector>

#include "sim/process/host_classes.h"

namespace sim {
namespace {

UIImageObj* image(id self) { return as<UIImageObj>(self); }

CGSize size(id self, SEL) { return image(self)->size; }
double scale(id self, SEL) { return image(self)->scale; }
CGImageRef cg_image(id self, SEL) { return image(self)->cg_image; }

Class install() {
  Class c = define_class<UIImageObj>("UIImage", ensure_class("NSObject"));
  def(c, "size", size);
  def(c, "scale", scale);
  def(c, "CGImage", cg_image);
  return c;
}

SIM_HOST_CLASS("UIImage", Layer::UIKit, install);

// Pixels along one side: ceil(points × scale), or 0 when that is not a
// sensible count (negative, not finite, or huge).
size_t pixels_for(double points, double scale) {
  double px = std::ceil(points * scale);
  if (!std::isfinite(px) || px <= 0 || px > 16384) return 0;
  return static_cast<size_t>(px);
}

}  // namespace

id make_image(CGImageRef bitmap, CGSize points, double scale) {
  id o = alloc_instance(ensure_class("UIImage"));
  image(o)->cg_image = CGImageRetain(bitmap);
  image(o)->size = points;
  image(o)->scale = scale;
  return objc_autorelease(o);
}

id make_solid_image(uint8_t r, uint8_t g, uint8_t b, uint8_t a, CGSize points, double scale) {
  size_t w = pixels_for(points.width, scale);
  size_t h = pixels_for(points.height, scale);
  CGImageRef bitmap = nullptr;
  if (w && h) {
    std::vector<uint8_t> bytes(w * h * 4);
    for (size_t i = 0; i < w * h; ++i) {
      bytes[i * 4 + 0] = r;
      bytes[i * 4 + 1] = g;
      bytes[i * 4 + 2] = b;
      bytes[i * 4 + 3] = a;
    }
    CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
    bitmap = sim_CGImageCreateWithBytes(w, h, w * 4, rgb,
                                        kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big,
                                        bytes.data());
    CGColorSpaceRelease(rgb);
  }
  id o = make_image(bitmap, points, scale);
  CGImageRelease(bitmap);
  return o;
}

id make_png_image(const std::string& path, double scale, std::string* error) {
  char message[256] = {};
  CGImageRef bitmap = sim_CGImageCreateWithPNGFile(path.c_str(), message, sizeof message);
  if (!bitmap) {
    if (error) *error = message;
    return nullptr;
  }
  CGSize points{static_cast<double>(CGImageGetWidth(bitmap)) / scale,
                static_cast<double>(CGImageGetHeight(bitmap)) / scale};
  id o = make_image(bitmap, points, scale);
  CGImageRelease(bitmap);
  return o;
}

}  // namespace sim
