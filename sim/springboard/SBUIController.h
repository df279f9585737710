// SBUIController as the host uses it for launch zoom animations.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// The host asks SBUIController (by message) for a launch zoom view built
// from a snapshot of `snapshot_size`.
id request_zoom_view(CGSize snapshot_size);

}  // namespace sim
