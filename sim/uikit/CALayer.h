// CALayer: what views use of their layer: rounded corners and clipping.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

struct CALayerObj : objc_object {
  double corner_radius = 0;
  bool masks_to_bounds = false;
};

}  // namespace sim
