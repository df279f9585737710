// UIStatusBar_Base: what the two status bars share, and where their
// foreground colour is declared.
#pragma once

#include "sim/runtime/runtime.h"
#include "sim/uikit/UIView.h"

namespace sim {

// A status bar: a view with a style (1: light content, white glyphs; every
// other value dark content) and the foreground colour last given to
// setForegroundColor: (_foregroundColor), which its time and battery glyphs
// are drawn in.
struct StatusBarObj : UIViewObj {
  NSInteger current_style = 0;  // the style the host gave this bar
  Strong foreground_color;      // _foregroundColor; nil until someone sets one
};

}  // namespace sim
