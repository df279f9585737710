// The process's default local notification centre, as host code reaches it.
#pragma once

#include <string>

#include "sim/runtime/runtime.h"

namespace sim {

// Posts through the runtime ([[NSNotificationCenter defaultCenter]
// postNotificationName:object:]), so every observer runs before it returns.
void post_local_notification(const std::string& name, id object);

}  // namespace sim
