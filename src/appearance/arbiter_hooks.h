// Hooks on the host's style arbiter: every style update is recorded in
// darkModeActive, written to the settings file, broadcast to other
// processes and (for two of the three) turned into a re-theme signal.
#pragma once

#include "platform/platform.h"

namespace corvane::appearance {

struct ArbiterHooks {
  IMP update_current_style;  // _updateCurrentStyleAndNotify:forReason:
  IMP mode_did_change;       // userInterfaceStyleModeDidChange:
  IMP log_change_event;      // _logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:
  IMP dark_mode_changed;     // darkModeChanged: (added, v@:B)
  IMP* saved_update_current_style;
  IMP* saved_mode_did_change;
  IMP* saved_log_change_event;
};

ArbiterHooks arbiter_hooks();

}  // namespace corvane::appearance
