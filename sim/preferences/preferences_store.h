// The preferences daemon's part for panes that use the framework's own
// storage (PSViewController's readPreferenceValue: and
// setPreferenceValue:specifier:): one dictionary per domain, read from
// "/var/mobile/Library/Preferences/DOMAIN.plist" on first use and kept in
// memory; changes reach the file only when the process ends, as cfprefsd
// writes when it chooses rather than at each change.
#pragma once

#include <string>

#include "sim/runtime/runtime.h"

namespace sim {

// The value under `key` in a domain; nil when absent or the domain is not
// a usable file name.
id preferences_value(const std::string& domain, id key);
// Sets (or, with nil, removes) the value; the file follows at process end.
void set_preferences_value(const std::string& domain, id key, id value);

}  // namespace sim
