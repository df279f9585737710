// UIStatusBar as the host builds it.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// A status bar (UIStatusBar, or UIStatusBar_Modern when `modern`) with its
// own currentStyle.
id make_status_bar(bool modern, NSInteger style);

}  // namespace sim
