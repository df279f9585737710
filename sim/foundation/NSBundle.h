// NSBundle: a folder with an Info.plist and, for a loadable bundle, an
// executable named by CFBundleExecutable.
#pragma once

#include <string>

#include "sim/runtime/runtime.h"

namespace sim {

struct NSBundleObj : objc_object {
  std::string path;  // device path
  bool loaded = false;
  Strong info;  // the Info.plist dictionary (empty when it has none)
};

// The bundle at a device path, one object per path in the process (as
// Foundation keeps them); nil when no folder is there.
id bundle_at_path(const std::string& device_path);

}  // namespace sim
