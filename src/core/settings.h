// The user's settings, read once when the library loads and fixed for the
// life of the process.
#pragma once

#include "core/settings_values.h"

namespace corvane {

// The process-wide values; written only by the load-time entry.
extern Settings settings;

// Reads the settings file into `settings`: every key in its order, each
// absent (or unusable) key taking its default.
void read_settings();

// On iOS 14.0.0 and later the widget switches are off whatever the file says.
void apply_version_gate();

}  // namespace corvane

// For tests and the simulator's dumps: the values as the library holds them.
extern "C" __attribute__((visibility("default"))) const corvane::Settings* corvane13_settings(void);
