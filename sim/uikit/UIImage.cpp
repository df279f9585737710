#include "sim/uikit/UIImage.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"

namespace sim {
namespace {

UIImageObj* image(id self) { return as<UIImageObj>(self); }

CGSize size(id self, SEL) { return image(self)->size; }
double scale(id self, SEL) { return image(self)->scale; }
CGImageRef cg_image(id self, SEL) { return image(self)->cg_image; }

// The scale a file name states: "name@2x.png" is 2, "name@3x.png" 3, else 1.
double scale_of_file_name(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, "@2x") == 0) return 2;
  if (name.size() > 3 && name.compare(name.size() - 3, 3, "@3x") == 0) return 3;
  return 1;
}

id with_contents_of_file(id, SEL, id path) {
  if (!is_string(path)) return nullptr;
  const std::string device_path = string_value(path);
  const std::string file = host_path_of(device_path);
  return make_png_image(file, scale_of_file_name(device_path), nullptr);
}

id with_cg_image(id, SEL, CGImageRef bitmap, double scale, NSInteger) {
  if (!bitmap || !(scale > 0)) return nullptr;
  CGSize points{static_cast<double>(CGImageGetWidth(bitmap)) / scale,
                static_cast<double>(CGImageGetHeight(bitmap)) / scale};
  return make_image(bitmap, points, scale);
}

Class install() {
  Class c = define_class<UIImageObj>("UIImage", ensure_class("NSObject"));
  def_class(c, "imageWithContentsOfFile:", with_contents_of_file);
  def_class(c, "imageWithCGImage:scale:orientation:", with_cg_image);
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
    // One row pixel by pixel, the others copied from it.
    std::vector<uint8_t> bytes(w * h * 4);
    const uint8_t pixel[4] = {r, g, b, a};
    for (size_t x = 0; x < w; ++x) std::memcpy(&bytes[x * 4], pixel, 4);
    for (size_t y = 1; y < h; ++y) std::memcpy(&bytes[y * w * 4], bytes.data(), w * 4);
    CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
    bitmap = sim_CGImageCreateWithBytes(
        w, h, w * 4, rgb, kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big, bytes.data());
    CGColorSpaceRelease(rgb);
  }
  id o = make_image(bitmap, points, scale);
  CGImageRelease(bitmap);
  return o;
}

id make_gray_image(uint8_t level, CGSize points, double scale) {
  size_t w = pixels_for(points.width, scale);
  size_t h = pixels_for(points.height, scale);
  CGImageRef bitmap = nullptr;
  if (w && h) {
    std::vector<uint8_t> bytes(w * h, level);
    CGColorSpaceRef gray = CGColorSpaceCreateDeviceGray();
    bitmap = sim_CGImageCreateWithBytes(w, h, w, gray, kCGImageAlphaNone, bytes.data());
    CGColorSpaceRelease(gray);
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
