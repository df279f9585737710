// UISUserInterfaceStyleMode: the system's style setting (0 unspecified,
// 1 light, 2 dark) as one object. The style arbiter owns one (_styleMode)
// and is told through userInterfaceStyleModeDidChange: when the setting
// changes. The host keeps the value in the object itself and reads it there;
// the simulator models none of the class's methods, which nothing it runs
// sends.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

struct UISUserInterfaceStyleModeObj : objc_object {
  NSInteger mode_value = 1;
};

// A new mode object (retained, +1) holding `mode`.
id make_style_mode(NSInteger mode);

}  // namespace sim
