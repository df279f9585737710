// SBDockView as the host builds it: the dock with its background view
// (the retained backgroundView property, instance variable
// "_backgroundView"), which draws the dock's material and fills the dock's
// bounds.
#pragma once

#include "sim/runtime/runtime.h"
#include "sim/uikit/UIView.h"

namespace sim {

struct SBDockViewObj : UIViewObj {
  Strong background_view;
};

// A dock (autoreleased) framed as on a 375-point-wide screen, its
// background view in place.
id make_dock();

}  // namespace sim
