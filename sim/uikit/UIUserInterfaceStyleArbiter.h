// UIUserInterfaceStyleArbiter: the shared object that holds the system's
// interface style (0 unspecified, 1 light, 2 dark). change_system_style
// (sim/uikit/style.h) is the host's path for a change of the system style.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// The shared arbiter as host code reaches it (through the runtime); nil in a
// process without UIKit.
id shared_style_arbiter();

}  // namespace sim
