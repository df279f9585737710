// Status bars: white or black foreground. UIStatusBar and UIStatusBar_Modern
// each get their own copies, with saved implementations of their own.
#pragma once

#include "platform/platform.h"

namespace corvane::statusbar {

enum class StatusBarClass { Legacy, Modern };

struct StatusBarHooks {
  IMP layout_subviews;       // hook
  IMP dark_mode_changed;     // added, v@:
  IMP set_foreground_color;  // hook
  IMP* saved_layout_subviews;
  IMP* saved_set_foreground_color;
};

StatusBarHooks statusbar_hooks(StatusBarClass which);

}  // namespace corvane::statusbar
