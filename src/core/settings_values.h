// The settings values as the library holds them: one field per key of the
// settings file (core/settings_keys.h), named after it and in its order.
// Plain data, so that tests and the simulator's dumps can read it too.
#pragma once

#include "core/settings_keys.h"

namespace corvane {

struct Settings {
#define CORVANE_SETTINGS_FLAG_FIELD(name, fallback, meaning) bool name;
#define CORVANE_SETTINGS_REAL_FIELD(name, fallback, meaning) double name;
  CORVANE_SETTINGS_KEYS(CORVANE_SETTINGS_FLAG_FIELD, CORVANE_SETTINGS_REAL_FIELD)
#undef CORVANE_SETTINGS_FLAG_FIELD
#undef CORVANE_SETTINGS_REAL_FIELD
};

}  // namespace corvane
