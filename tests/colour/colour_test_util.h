// Helpers for the colour engine's tests: host objects of the three classes
// that carry the colour methods, images from bytes, and colour components.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/graphics/CoreGraphics.h"
#include "sim/runtime/objc.h"
#include "sim/runtime/runtime.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"
#include "support/sim_fixture.h"

namespace colour_test {

inline constexpr const char* kBanner = "NCNotificationShortLookView";
inline constexpr const char* kWidget = "WGWidgetPlatterView";
inline constexpr const char* kPlatter = "_UIPreviewPlatterPanController";
inline constexpr const char* kAllOwners[] = {kBanner, kWidget, kPlatter};
inline constexpr const char* kOnePixelOwners[] = {kBanner, kWidget};

using Rgba = std::array<double, 4>;

// A new host object of the class, autoreleased into the current pool.
inline id make_object(const char* class_name) {
  id cls = reinterpret_cast<id>(sim::class_named(class_name));
  if (!cls) return nullptr;
  return objc_autorelease(sim::send<id>(sim::send<id>(cls, sim::sel("alloc")), sim::sel("init")));
}

// receiver SELECTOR argument, as the theming code sends it.
inline id colour_for(id receiver, const char* selector, id argument) {
  return sim::send<id>(receiver, sim::sel(selector), argument);
}

// The colour's components; nothing for nil or a pattern colour.
inline std::optional<Rgba> components(id colour) { return sim::colour_components(colour); }

// avg / 255 in single precision, widened: what pixel-average sampling gives.
inline double unit(uint64_t avg) { return static_cast<double>(static_cast<float>(avg) / 255.0f); }

// An image over premultiplied RGBA bytes (rows packed), `points` in size.
inline id image_from_rgba(size_t width, size_t height, const std::vector<uint8_t>& rgba, CGSize points,
                          double scale = 1) {
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGImageRef bitmap =
      sim_CGImageCreateWithBytes(width, height, width * 4, rgb, kCGImageAlphaPremultipliedLast, rgba.data());
  CGColorSpaceRelease(rgb);
  id image = sim::make_image(bitmap, points, scale);
  CGImageRelease(bitmap);
  return image;
}

inline std::string describe(const std::optional<Rgba>& c) {
  if (!c) return "nil";
  return "(" + std::to_string((*c)[0]) + ", " + std::to_string((*c)[1]) + ", " + std::to_string((*c)[2]) +
         ", " + std::to_string((*c)[3]) + ")";
}

// Every component equal to the expected one, bit for bit.
inline testing::AssertionResult is_exactly(const std::optional<Rgba>& got, const Rgba& want) {
  if (got && *got == want) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "got " << describe(got) << ", want " << describe(want);
}

// Every component within `tolerance` of the expected one.
inline testing::AssertionResult is_near(const std::optional<Rgba>& got, const Rgba& want, double tolerance) {
  bool ok = got.has_value();
  for (int k = 0; ok && k < 4; ++k) ok = std::abs((*got)[k] - want[k]) <= tolerance;
  if (ok) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "got " << describe(got) << ", want " << describe(want) << " within "
                                     << tolerance;
}

}  // namespace colour_test
