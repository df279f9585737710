// Process-wide state shared between the library's parts.
#pragma once

namespace corvane {

// The last dark state the style arbiter reported; NO until it first reports.
// Written by the arbiter's hooks, read by the status bars.
extern bool darkModeActive;

}  // namespace corvane

// For tests and the simulator's dumps: the dark state as the library holds it.
extern "C" __attribute__((visibility("default"))) bool corvane13_dark_mode_active(void);
