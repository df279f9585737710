#include "tools/corvane-sim/settings_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <ostream>

#include "sim/foundation/foundation.h"
#include "sim/foundation/plist_file.h"
#include "src/core/names.h"
#include "src/core/settings_keys.h"
#include "tools/corvane-sim/json.h"

namespace corvane::cli {
namespace {

#define CORVANE_CHECK_FLAG(name, fallback, meaning) {#name, true, (fallback) ? 1.0 : 0.0, meaning},
#define CORVANE_CHECK_REAL(name, fallback, meaning) {#name, false, fallback, meaning},
constexpr SettingsKey kKeys[] = {CORVANE_SETTINGS_KEYS(CORVANE_CHECK_FLAG, CORVANE_CHECK_REAL)};
#undef CORVANE_CHECK_FLAG
#undef CORVANE_CHECK_REAL

// Keys and strings from the file are shown on one line and at a readable
// length: control bytes as \xNN, and at most this many bytes (cut at a
// character's start) before an ellipsis.
constexpr size_t kShownBytes = 40;

std::string shown(std::string_view text, char quote) {
  std::string out(1, quote);
  size_t end = std::min(text.size(), kShownBytes);
  while (end < text.size() && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  for (const char c : text.substr(0, end)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  if (end < text.size()) out += "...";
  return out + quote;
}

// The edit distance between a and b, ignoring case, or nullopt when it is
// above `limit` (known from their lengths alone, so a long key costs nothing).
std::optional<size_t> distance_within(std::string_view a, std::string_view b, size_t limit) {
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit) return std::nullopt;
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      const size_t next = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = row[j];
      row[j] = next;
    }
  }
  if (row[b.size()] > limit) return std::nullopt;
  return row[b.size()];
}

// The known key closest to an unknown one, when one is close: a few edits
// away for its length (a typo, a British spelling, a letter's case).
const SettingsKey* closest_key(std::string_view unknown) {
  const SettingsKey* best = nullptr;
  size_t best_distance = 0;
  for (const SettingsKey& key : kKeys) {
    const auto d = distance_within(unknown, key.name, std::max<size_t>(2, key.name.size() / 4));
    if (d && (!best || *d < best_distance)) {
      best = &key;
      best_distance = *d;
    }
  }
  return best;
}

std::string unknown_key(std::string_view name) {
  std::string out = "unknown key " + shown(name, '\'');
  if (const SettingsKey* near = closest_key(name))
    out += " (did you mean '" + std::string(near->name) + "'?)";
  return out;
}

// "the string \"yes\"", "the integer 2", "a dictionary", ...
std::string described(const sim::plist::Value& v) {
  using T = sim::plist::Value::Type;
  switch (v.type()) {
    case T::Boolean: return v.boolean() ? "the boolean true" : "the boolean false";
    case T::Integer:
      return "the integer " +
             (v.is_unsigned_integer() ? std::to_string(v.unsigned_integer()) : std::to_string(v.integer()));
    case T::Real: return "the real " + format_double(v.real());
    case T::String: return "the string " + shown(v.string(), '"');
    case T::Data: return "data";
    case T::Date: return "a date";
    case T::Array: return "an array";
    case T::Dictionary: return "a dictionary";
  }
  return "a value";
}

// A value of the key's own kind, or the mistake in it. The library converts
// a number or a string (boolValue, floatValue) and ignores anything else.
std::optional<std::string> value_mistake(const SettingsKey& key, const sim::plist::Value& v) {
  const std::string name = "'" + std::string(key.name) + "'";
  const std::string kind =
      key.is_switch ? " is a switch (true or false), not " : " is a real from 0 to 1, not ";
  std::optional<std::string> read_as;  // what the library makes of a convertible value
  if (key.is_switch) {
    if (v.is_boolean()) return std::nullopt;
    if (v.is_integer() && !v.is_unsigned_integer() && (v.integer() == 0 || v.integer() == 1))
      return std::nullopt;
    if (v.is_string()) read_as = sim::string_bool_value(v.string()) ? "true" : "false";
    else if (auto n = v.number()) read_as = *n != 0 ? "true" : "false";
  } else {
    if (v.is_integer() || v.is_real()) {
      const double n = *v.number();
      const float read = sim::nearest_float(n);
      if (read >= 0 && read <= 1) return std::nullopt;
      return name + " is " + format_double(n) + ", outside 0 to 1";
    }
    if (v.is_string()) read_as = format_double(sim::string_double_value(v.string()));
    else if (v.is_boolean()) read_as = v.boolean() ? "1" : "0";
  }
  if (read_as) return name + kind + described(v) + "; the library reads it as " + *read_as;
  return name + kind + described(v) + "; the library ignores it and uses the default, " +
         settings_default_text(key);
}

}  // namespace

std::span<const SettingsKey> settings_keys() { return kKeys; }

std::string settings_default_text(const SettingsKey& key) {
  if (key.is_switch) return key.fallback != 0 ? "true" : "false";
  return format_double(key.fallback);
}

std::vector<std::string> settings_mistakes(const sim::plist::Dictionary& settings) {
  std::vector<std::string> mistakes;
  for (const auto& [name, value] : settings) {
    if (name == corvane::names::kEnabledKey) continue;  // the library's own record of the dark style
    const std::string& key_name = name;                 // clang 14 cannot capture a structured binding
    const auto known = std::find_if(std::begin(kKeys), std::end(kKeys),
                                    [&](const SettingsKey& key) { return key.name == key_name; });
    if (known == std::end(kKeys)) mistakes.push_back(unknown_key(name));
    else if (auto m = value_mistake(*known, value)) mistakes.push_back(*m);
  }
  return mistakes;
}

std::vector<std::string> settings_mistakes(std::string_view bytes) {
  const char* const kUnread = "; the library reads none of it and uses every default";
  auto value = sim::plist::parse(bytes);
  if (!value) return {std::string("not a property list") + kUnread};
  if (!value->is_dictionary()) return {"holds " + described(*value) + ", not a dictionary" + kUnread};
  return settings_mistakes(value->dictionary());
}

void warn_settings_mistakes(std::ostream& err, std::string_view where, std::string_view file,
                            std::string_view bytes) {
  for (const std::string& mistake : settings_mistakes(bytes))
    err << where << ": warning: " << file << ": " << mistake << "\n";
}

}  // namespace corvane::cli
