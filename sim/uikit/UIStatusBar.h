// UIStatusBar as the host builds it.
#pragma once

#include "sim/runtime/runtime.h"
#include "sim/uikit/UIStatusBar_Base.h"

namespace sim {

// A status bar (UIStatusBar, or UIStatusBar_Modern when `modern`) with its
// own currentStyle, framed as the host frames it: 375×20 points for the
// legacy bar, 375×44 for the modern one. Autoreleased.
id make_status_bar(bool modern, NSInteger style);

}  // namespace sim
