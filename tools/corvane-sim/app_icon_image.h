// An application's icon, from an `.app` folder or an `.ipa` archive, as the
// host's image: the `app:PATH` icon of scripts and the preview's --app.
#pragma once

#include <string>

#include "sim/runtime/runtime.h"

namespace corvane::cli {

struct AppIconImage {
  id image = nullptr;    // autoreleased UIImage; nil on failure
  std::string app_name;  // CFBundleDisplayName, else CFBundleName, else the folder's name
};

// The icon the home screen would show for the app at `path`, its size in
// points its pixels over the scale its file name states (@2x, @3x). On
// failure image is nil and `error` names the file and what is missing.
AppIconImage load_app_icon(const std::string& path, std::string* error);

}  // namespace corvane::cli
