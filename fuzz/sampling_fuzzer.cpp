// The colour engine's sampling with arbitrary images: any bitmap layout the
// host makes, any point size (negative, fractional, huge, not a number) and
// any scale, through the added methods of every class that has them
// (bitmaps of at most 2^16 pixels: see bounded_height).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "sim/foundation/foundation.h"
#include "sim/process/process.h"
#include "sim/runtime/object.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"

namespace {

// Reads the input front to back; past its end every read is zero.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint64_t bits() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | byte();
    return v;
  }
  // A size or scale: raw bits, up to 256 points with a fraction, one of the
  // values at the edges, or the image's own size.
  double number(double natural) {
    static const double kEdges[] = {0.0,
                                    -0.0,
                                    0.5,
                                    0.99,
                                    1.0,
                                    2.0,
                                    3.0,
                                    -1.0,
                                    40.0,
                                    60.0,
                                    4095.5,
                                    4096.0,
                                    4096.9,
                                    4097.0,
                                    20000.0,
                                    1e9,
                                    1.8446744073709552e19,
                                    1e300,
                                    5e-324,
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(),
                                    std::numeric_limits<double>::quiet_NaN()};
    switch (byte() % 4) {
      case 0: {
        const uint64_t b = bits();
        double d;
        std::memcpy(&d, &b, sizeof d);
        return d;
      }
      case 1: return byte() + byte() / 256.0;
      case 2: return kEdges[byte() % (sizeof kEdges / sizeof kEdges[0])];
      default: return natural;
    }
  }
  const uint8_t* rest(size_t* n) {
    *n = size_ - pos_;
    return data_ + pos_;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct Layout {
  CGColorSpaceRef (*space)();
  uint32_t info;
  size_t bytes_per_pixel;
};

CGColorSpaceRef no_space() { return nullptr; }

const Layout kLayouts[] = {
    {CGColorSpaceCreateDeviceRGB, kCGImageAlphaPremultipliedLast, 4},
    {CGColorSpaceCreateDeviceRGB, kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big, 4},
    {CGColorSpaceCreateDeviceRGB, kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, 4},
    {CGColorSpaceCreateDeviceRGB, kCGImageAlphaNoneSkipLast, 4},
    {CGColorSpaceCreateDeviceRGB, kCGImageAlphaLast, 4},
    {CGColorSpaceCreateDeviceRGB, kCGImageAlphaNone, 3},
    {CGColorSpaceCreateDeviceGray, kCGImageAlphaNone, 1},
    {CGColorSpaceCreateDeviceCMYK, kCGImageAlphaNone, 4},
    {no_space, kCGImageAlphaOnly, 1},
};

[[noreturn]] void fail(const char* owner, const char* selector, const std::string& what) {
  std::fprintf(stderr, "-[%s %s]: %s\n", owner, selector, what.c_str());
  std::abort();
}

// Every component finite and within [0, max]; alpha 1 when opaque_result.
void check(id colour, const char* owner, const char* selector, double max, bool opaque_result) {
  const auto c = sim::colour_components(colour);
  if (!c) fail(owner, selector, "no RGB colour");
  for (int k = 0; k < 4; ++k) {
    const double limit = k == 3 ? 1.0 : max;
    if (!((*c)[k] >= 0.0 && (*c)[k] <= limit))
      fail(owner, selector, "component " + std::to_string(k) + " is " + std::to_string((*c)[k]));
  }
  if (opaque_result && (*c)[3] != 1.0) fail(owner, selector, "not opaque");
}

// The library's sampling bitmap follows the point size, up to 4096 points a
// side. Drawing a bitmap near that limit on both sides costs a hundred times
// a whole ordinary input and teaches nothing its edges do not, so a height
// that would make a bitmap of more than 2^16 pixels is cut to fit; a width or
// height the library refuses (past 4096, negative, not finite) stays as it
// is, and so do the edges of one side.
double bounded_height(double points_w, double points_h) {
  constexpr double kMaxPixels = 1 << 16, kMaxSide = 4097;
  if (points_w >= 1 && points_w < kMaxSide && points_h >= 1 && points_h < kMaxSide &&
      points_w * points_h > kMaxPixels)
    return kMaxPixels / points_w;
  return points_h;
}

id make_object(const char* class_name) {
  id cls = reinterpret_cast<id>(sim::class_named(class_name));
  return objc_autorelease(sim::send<id>(sim::send<id>(cls, sim::sel("alloc")), sim::sel("init")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::TempFolder root;
  static sim::Process* process = [] {
    sim::ProcessOptions options;
    options.root = root.path();
    auto* p = new sim::Process(options);
    p->load_library();
    return p;
  }();
  (void)process;

  Reader in(data, size);
  const size_t width = 1 + in.byte() % 64, height = 1 + in.byte() % 64;
  const Layout& layout = kLayouts[in.byte() % (sizeof kLayouts / sizeof kLayouts[0])];
  const double scale = in.number(1.0);
  const double points_w = in.number(static_cast<double>(width) / scale);
  const double points_h = bounded_height(points_w, in.number(static_cast<double>(height) / scale));
  size_t n = 0;
  const uint8_t* rest = in.rest(&n);
  std::vector<uint8_t> pixels(width * height * layout.bytes_per_pixel);
  for (size_t i = 0; i < pixels.size() && n > 0; ++i) pixels[i] = rest[i % n];

  sim::AutoreleasePool pool;
  CGColorSpaceRef space = layout.space();
  CGImageRef bitmap = sim_CGImageCreateWithBytes(width, height, 0, space, layout.info, pixels.data());
  CGColorSpaceRelease(space);
  id image = sim::make_image(bitmap, CGSize{points_w, points_h}, scale);
  CGImageRelease(bitmap);

  static const struct {
    const char* owner;
    double one_pixel_gain;  // 0: no one-pixel sampling in this class
  } kOwners[] = {
      {"NCNotificationShortLookView", 1.0},
      {"WGWidgetPlatterView", 2.0},
      {"_UIPreviewPlatterPanController", 0.0},
  };
  for (const auto& o : kOwners) {
    id owner = make_object(o.owner);
    check(sim::send<id>(owner, sim::sel("adaptiveColorForImage:"), image), o.owner,
          "adaptiveColorForImage:", 1.0, true);
    if (o.one_pixel_gain > 0)
      check(sim::send<id>(owner, sim::sel("adaptiveAlternateColorForImage:"), image), o.owner,
            "adaptiveAlternateColorForImage:", o.one_pixel_gain, false);
  }
  return 0;
}
