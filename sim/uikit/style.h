// The system's interface style, changed the way the host changes it.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// The system style changes to `style` (0 unspecified, 1 light, 2 dark)
// through the host's own arbiter path: every arbiter method the host calls
// for such a change runs, by message, so that hooks on them run.
void change_system_style(NSInteger style);

}  // namespace sim
