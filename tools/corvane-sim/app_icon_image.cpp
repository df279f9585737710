#include "tools/corvane-sim/app_icon_image.h"

#include "sim/bundles/app_icon.h"
#include "sim/graphics/CoreGraphics.h"
#include "sim/uikit/UIImage.h"

namespace corvane::cli {

AppIconImage load_app_icon(const std::string& path, std::string* error) {
  AppIconImage out;
  auto app = sim::bundles::find_app_icon(path, error);
  if (!app) return out;
  char message[256] = {};
  CGImageRef bitmap = sim_CGImageCreateWithPNGData(app->png.data(), app->png.size(), message, sizeof message);
  if (!bitmap) {
    *error = "app " + path + ": icon " + app->file + ": " + message;
    return out;
  }
  const CGSize points{static_cast<double>(CGImageGetWidth(bitmap)) / app->scale,
                      static_cast<double>(CGImageGetHeight(bitmap)) / app->scale};
  out.image = sim::make_image(bitmap, points, app->scale);
  out.app_name = app->app_name;
  CGImageRelease(bitmap);
  return out;
}

}  // namespace corvane::cli
