// SBApplication: the home screen's record of one installed application.
#pragma once

#include <string>

#include "sim/runtime/runtime.h"

namespace sim {

struct SBApplicationObj : objc_object {
  // The readonly bundleIdentifier property's value (an NSString, or nil),
  // kept by the host, not as a named instance variable.
  Strong bundle_identifier;
};

// A new application record (autoreleased) answering `bundle_id` to
// bundleIdentifier.
id make_application(const std::string& bundle_id);

}  // namespace sim
