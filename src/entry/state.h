// Process-wide state shared between the library's parts.
#pragma once

namespace corvane {

// The last dark state the style arbiter reported; NO until it first reports.
extern bool darkModeActive;

}  // namespace corvane

extern "C" __attribute__((visibility("default"))) bool corvane13_dark_mode_active(void);
