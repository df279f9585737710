// The load-time entry: registers the restart observer, reads the settings,
// applies the version gate and installs the hook table.
#pragma once

extern "C" __attribute__((visibility("default"))) void corvane13_entry(void);
