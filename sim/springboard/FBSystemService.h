// FBSystemService: the home screen's system service, which can end the
// process and start it again.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// The shared service as host code reaches it (through the runtime); nil in a
// process without the class.
id shared_system_service();

}  // namespace sim
