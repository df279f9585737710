// SBDockView as the host builds it.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

id make_dock();

}  // namespace sim
