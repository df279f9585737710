// The library's settings keys as the page's generator and its tests read
// them: each key's kind and default, by name, from the one key list.
#pragma once

#include <map>
#include <string>

#include "core/settings_keys.h"

namespace corvane::prefs {

struct LibraryKey {
  bool flag;        // a switch; otherwise a slider
  double fallback;  // the library's default (1 or 0 for a switch)
};

inline std::map<std::string, LibraryKey> library_keys() {
  std::map<std::string, LibraryKey> keys;
#define CORVANE_PREFS_FLAG_KEY(name, fallback, meaning) keys[#name] = {true, (fallback) ? 1.0 : 0.0};
#define CORVANE_PREFS_REAL_KEY(name, fallback, meaning) keys[#name] = {false, fallback};
  CORVANE_SETTINGS_KEYS(CORVANE_PREFS_FLAG_KEY, CORVANE_PREFS_REAL_KEY)
#undef CORVANE_PREFS_FLAG_KEY
#undef CORVANE_PREFS_REAL_KEY
  return keys;
}

}  // namespace corvane::prefs
