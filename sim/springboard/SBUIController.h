// SBUIController as the host uses it for launch zoom animations.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

inline constexpr const char* kZoomViewSelector =
    "zoomViewForDeviceApplicationSceneHandle:displayConfiguration:interfaceOrientation:"
    "snapshot:snapshotSize:statusBarDescriptor:decodeImage:";

// The size of snapshot the host takes when a script gives none: a full
// screen of a 375×812-point device.
inline constexpr CGSize kDefaultSnapshotSize{375, 812};

// The host asks SBUIController (by message, so a hook on the class method
// runs) for a launch zoom view built from a snapshot of `snapshot_size`: a
// plain light-grey image of that size (at scale 1, or less for a snapshot
// over 2048 points a side), portrait, decoded. Returns what the
// class method returned (autoreleased), nil included.
id request_zoom_view(CGSize snapshot_size);

}  // namespace sim
