#include "core/settings.h"

#include "core/settings_file.h"
#include "platform/platform.h"

namespace corvane {

Settings settings;

namespace {

// Where each key's value lives in Settings, in the key list's order.
struct Field {
  bool Settings::*flag;
  double Settings::*real;
};
#define CORVANE_SETTINGS_FLAG_FIELD(name, fallback, meaning) {&Settings::name, nullptr},
#define CORVANE_SETTINGS_REAL_FIELD(name, fallback, meaning) {nullptr, &Settings::name},
constexpr Field kFields[] = {CORVANE_SETTINGS_KEYS(CORVANE_SETTINGS_FLAG_FIELD, CORVANE_SETTINGS_REAL_FIELD)};
#undef CORVANE_SETTINGS_FLAG_FIELD
#undef CORVANE_SETTINGS_REAL_FIELD

}  // namespace

void read_settings() {
  id dict = read_settings_dictionary();
  size_t count = 0;
  const SettingsKey* keys = settings_keys(&count);
  for (size_t i = 0; i < count; ++i) {
    id v = settings_value_or_default(dict, keys[i]);
    if (keys[i].flag) settings.*kFields[i].flag = msg<BOOL>(v, CV_SEL("boolValue"));
    else settings.*kFields[i].real = msg<float>(v, CV_SEL("floatValue"));
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
