// The settings file's rules, shared by the library (its reader and its one
// rewrite) and by the settings pane, which reads and writes the same file:
// the keys with their kinds and defaults, how a stored value is read, and
// how the file is rewritten without losing what it holds.
#pragma once

#include <stddef.h>

#include "platform/platform.h"

namespace corvane {

// One key of core/settings_keys.h.
struct SettingsKey {
  const char* name;
  bool flag;        // a boolean (read with boolValue), else a real (floatValue)
  double fallback;  // the default: 0 or 1 for booleans
};

// Every key, in the order the library reads them.
const SettingsKey* settings_keys(size_t* count);
// The key whose name equals the string object `name`; nullptr for any other.
const SettingsKey* find_settings_key(id name);

// What the library takes for `key` from the dictionary `dict` (nil: no
// file): the stored value when it answers the key's converter (boolValue or
// floatValue), else a temporary number holding the default. Autoreleased or
// borrowed from the dictionary; never written anywhere.
id settings_value_or_default(id dict, const SettingsKey& key);

// The settings file as a new dictionary (released by the caller), or nil
// when it is absent, unreadable or not a dictionary.
id read_settings_dictionary();

// Rewrites the settings file: reads the whole dictionary, lets `change`
// edit a mutable copy, and writes it back atomically, so every key that
// `change` leaves alone is kept and no reader sees a partial file. A file
// that exists but cannot be read as a dictionary (or holds what could not
// be written back as it was) is left untouched: rewriting it would lose
// what it holds. A missing file is created only with `create_missing`.
// Returns whether the file now holds the change.
bool rewrite_settings_file(void (*change)(id dict, void* context), void* context, bool create_missing);

}  // namespace corvane
