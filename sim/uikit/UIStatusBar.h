// UIStatusBar as the host builds it, and the instance layout it shares with
// UIStatusBar_Modern.
#pragma once

#include "sim/runtime/runtime.h"
#include "sim/uikit/UIView.h"

namespace sim {

// A status bar: a view with its own style (1: light content, white glyphs;
// every other value dark content) and the foreground colour last given to
// setForegroundColor:, which its time and battery glyphs are drawn in.
struct StatusBarObj : UIViewObj {
  NSInteger current_style = 0;
  Strong foreground_color;  // nil until someone sets one
};

// Defines one of the two status bar classes: a direct subclass of UIView
// with methods of its own (so that a hook on one class never reaches the
// other), as on the platform.
Class define_status_bar_class(const char* name);

// A status bar (UIStatusBar, or UIStatusBar_Modern when `modern`) with its
// own currentStyle, framed as the host frames it: 375×20 points for the
// legacy bar, 375×44 for the modern one. Autoreleased.
id make_status_bar(bool modern, NSInteger style);

}  // namespace sim
