// SpringBoard: the home-screen application, and the device state it reports.
#pragma once

#include <optional>
#include <string>

#include "sim/runtime/runtime.h"

namespace sim {

// The `device` command: any subset of the lock state, whether the home
// screen shows, and the front application's bundle identifier.
void set_device_state(std::optional<bool> locked, std::optional<bool> homescreen,
                      std::optional<std::string> front_app);

}  // namespace sim
