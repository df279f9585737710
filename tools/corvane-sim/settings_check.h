// The settings keys as the simulator's commands see them, and the checks of
// a settings file against them: the one place that says which keys and
// values the library will not take as meant. Warnings only: the library
// itself reads the file whatever it holds (unknown keys ignored, values of
// another kind converted or replaced by the default), and so does every
// command that uses these checks.
//
// Used by `preview --settings` and the script command `settings-file`, and
// meant for any other command that takes a settings file from the user.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/foundation/plist_value.h"

namespace corvane::cli {

// One key of the library's list (src/core/settings_keys.h).
struct SettingsKey {
  std::string_view name;
  bool is_switch;   // a boolean; otherwise a real strength or offset from 0 to 1
  double fallback;  // the default: 0 or 1 for a switch
  std::string_view meaning;
};

// Every key, in the order the library reads them.
std::span<const SettingsKey> settings_keys();

// The default as the help shows it: "true", "false", "0.3".
std::string settings_default_text(const SettingsKey& key);

// What in a settings file the library will not take as meant, one sentence
// each, in the file's order of keys:
//   unknown key 'darkColourTint' (did you mean 'darkColorTint'?)
//   'forceTouch' is a switch (true or false), not the string "yes"; the library reads it as true
//   'darkColorStrength' is a real from 0 to 1, not a dictionary; the library ignores it and uses the default,
//   0.3 'darkModeOffset' is 1.5, outside 0 to 1
// The key the library writes into the file itself (`enabled`) is known.
// Integers 0 and 1 are switches as well as booleans are, as the library reads them.
std::vector<std::string> settings_mistakes(const sim::plist::Dictionary& settings);

// The same for a file's bytes. Bytes that are not a property list holding a
// dictionary are one mistake: the library then uses every default.
std::vector<std::string> settings_mistakes(std::string_view bytes);

// Writes each mistake of the file's bytes as one line on err:
// "WHERE: warning: FILE: MISTAKE".
void warn_settings_mistakes(std::ostream& err, std::string_view where, std::string_view file,
                            std::string_view bytes);

}  // namespace corvane::cli
