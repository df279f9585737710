// The host's image constructors that sampling callers use: from a file at a
// device path (scale from the name) and from a bitmap with a scale.
#include <gtest/gtest.h>

#include "colour_test_util.h"

using namespace colour_test;
using namespace corvane_test;

namespace {

id image_class() { return reinterpret_cast<id>(sim::class_named("UIImage")); }

TEST(HostImage, FilesGiveTheirScaleByName) {
  SimProcess p;
  sim::AutoreleasePool pool;
  const std::string icon = read_bytes(std::string(CORVANE_SOURCE_DIR) + "/assets/icons/moss@3x.png");
  struct Case {
    const char* device_path;
    bool present;
    double scale;  // of a 120-pixel file; 0: nil expected
  } cases[] = {
      {"/var/mobile/a.png", true, 1},        {"/var/mobile/a@2x.png", true, 2},
      {"/var/mobile/a@3x.png", true, 3},     {"/var/mobile/a@3x", true, 3},
      {"/var/mobile/missing.png", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device_path);
    if (c.present) write_bytes(p.host_path(c.device_path), icon);
    id image =
        sim::send<id>(image_class(), sim::sel("imageWithContentsOfFile:"), sim::make_string(c.device_path));
    if (c.scale == 0) {
      EXPECT_EQ(image, nullptr);
      continue;
    }
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(sim::send<double>(image, sim::sel("scale")), c.scale);
    EXPECT_EQ(sim::send<CGSize>(image, sim::sel("size")).width, 120 / c.scale);
    EXPECT_NE(sim::send<CGImageRef>(image, sim::sel("CGImage")), nullptr);
  }
  EXPECT_EQ(sim::send<id>(image_class(), sim::sel("imageWithContentsOfFile:"), id{nullptr}), nullptr);
}

TEST(HostImage, FromABitmapWithAScale) {
  SimProcess p;
  sim::AutoreleasePool pool;
  std::vector<uint8_t> rgba(30 * 60 * 4, 255);
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGImageRef bitmap = sim_CGImageCreateWithBytes(30, 60, 0, rgb, kCGImageAlphaPremultipliedLast, rgba.data());
  CGColorSpaceRelease(rgb);
  const SEL sel = sim::sel("imageWithCGImage:scale:orientation:");
  id image = sim::send<id>(image_class(), sel, bitmap, 3.0, NSInteger{0});
  ASSERT_NE(image, nullptr);
  const CGSize size = sim::send<CGSize>(image, sim::sel("size"));
  EXPECT_EQ(size.width, 10);
  EXPECT_EQ(size.height, 20);
  EXPECT_EQ(sim::send<CGImageRef>(image, sim::sel("CGImage")), bitmap);
  EXPECT_EQ(sim::send<id>(image_class(), sel, bitmap, 0.0, NSInteger{0}), nullptr);
  EXPECT_EQ(sim::send<id>(image_class(), sel, static_cast<CGImageRef>(nullptr), 1.0, NSInteger{0}), nullptr);
  CGImageRelease(bitmap);
}

}  // namespace
