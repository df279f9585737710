#include "core/settings.h"

#include "core/names.h"
#include "platform/platform.h"

namespace corvane {

Settings settings;

namespace {

enum class Kind { Bool, Real };

struct Key {
  const char* name;
  Kind kind;
  double fallback;  // the default: 0 or 1 for booleans
  bool Settings::*flag;
  double Settings::*real;
};

// Every key of core/settings_keys.h, in its order.
#define CORVANE_SETTINGS_FLAG_KEY(name, fallback, meaning) \
  {#name, Kind::Bool, (fallback) ? 1.0 : 0.0, &Settings::name, nullptr},
#define CORVANE_SETTINGS_REAL_KEY(name, fallback, meaning) \
  {#name, Kind::Real, fallback, nullptr, &Settings::name},
constexpr Key kKeys[] = {CORVANE_SETTINGS_KEYS(CORVANE_SETTINGS_FLAG_KEY, CORVANE_SETTINGS_REAL_KEY)};
#undef CORVANE_SETTINGS_FLAG_KEY
#undef CORVANE_SETTINGS_REAL_KEY

// The value under the key, or a temporary number holding the default. A
// value that is neither a number nor a string (an array, a date, data...)
// cannot be converted, so it counts as absent rather than being sent a
// message it does not answer.
id value_or_default(id dict, const Key& key, SEL converter) {
  id value = msg<id>(dict, CV_SEL("objectForKey:"), str(key.name));
  if (value && msg<BOOL>(value, CV_SEL("respondsToSelector:"), converter)) return value;
  Class number = cls("NSNumber");
  if (key.kind == Kind::Bool) return msg<id>(number, CV_SEL("numberWithBool:"), (BOOL)(key.fallback != 0));
  return msg<id>(number, CV_SEL("numberWithDouble:"), key.fallback);
}

}  // namespace

void read_settings() {
  id dict = msg<id>(cls("NSMutableDictionary"), CV_SEL("alloc"));
  dict = msg<id>(dict, CV_SEL("initWithContentsOfFile:"), str(names::kSettingsPath));
  for (const Key& key : kKeys) {
    if (key.kind == Kind::Bool) {
      id v = value_or_default(dict, key, CV_SEL("boolValue"));
      settings.*key.flag = msg<BOOL>(v, CV_SEL("boolValue"));
    } else {
      id v = value_or_default(dict, key, CV_SEL("floatValue"));
      settings.*key.real = msg<float>(v, CV_SEL("floatValue"));
    }
  }
  msg<void>(dict, CV_SEL("release"));
}

void apply_version_gate() {
  if (system_is_ios14_or_later()) {
    settings.widgets = false;
    settings.forceLightWidget = false;
  }
}

}  // namespace corvane

const corvane::Settings* corvane13_settings(void) { return &corvane::settings; }
