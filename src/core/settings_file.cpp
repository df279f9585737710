#include "core/settings_file.h"

#include "core/names.h"
#include "core/settings_keys.h"

namespace corvane {
namespace {

#define CORVANE_SETTINGS_FLAG_ENTRY(name, fallback, meaning) {#name, true, (fallback) ? 1.0 : 0.0},
#define CORVANE_SETTINGS_REAL_ENTRY(name, fallback, meaning) {#name, false, fallback},
constexpr SettingsKey kKeys[] = {
    CORVANE_SETTINGS_KEYS(CORVANE_SETTINGS_FLAG_ENTRY, CORVANE_SETTINGS_REAL_ENTRY)};
#undef CORVANE_SETTINGS_FLAG_ENTRY
#undef CORVANE_SETTINGS_REAL_ENTRY

}  // namespace

const SettingsKey* settings_keys(size_t* count) {
  *count = sizeof kKeys / sizeof kKeys[0];
  return kKeys;
}

const SettingsKey* find_settings_key(id name) {
  if (!name) return nullptr;
  for (const SettingsKey& key : kKeys)
    if (msg<BOOL>(name, CV_SEL("isEqual:"), str(key.name))) return &key;
  return nullptr;
}

// A value that is neither a number nor a string (an array, a date, data...)
// cannot be converted, so it counts as absent rather than being sent a
// message it does not answer.
id settings_value_or_default(id dict, const SettingsKey& key) {
  SEL converter = key.flag ? CV_SEL("boolValue") : CV_SEL("floatValue");
  id value = msg<id>(dict, CV_SEL("objectForKey:"), str(key.name));
  if (value && msg<BOOL>(value, CV_SEL("respondsToSelector:"), converter)) return value;
  Class number = cls("NSNumber");
  if (key.flag) return msg<id>(number, CV_SEL("numberWithBool:"), (BOOL)(key.fallback != 0));
  return msg<id>(number, CV_SEL("numberWithDouble:"), key.fallback);
}

id read_settings_dictionary() {
  id dict = msg<id>(cls("NSMutableDictionary"), CV_SEL("alloc"));
  return msg<id>(dict, CV_SEL("initWithContentsOfFile:"), CV_STR(names::kSettingsPath));
}

bool rewrite_settings_file(void (*change)(id dict, void* context), void* context, bool create_missing) {
  id path = CV_STR(names::kSettingsPath);
  id stored = msg<id>(msg<id>(cls("NSDictionary"), CV_SEL("alloc")), CV_SEL("initWithContentsOfFile:"), path);
  if (!stored) {
    if (!create_missing) return false;
    id files = msg<id>(cls("NSFileManager"), CV_SEL("defaultManager"));
    if (msg<BOOL>(files, CV_SEL("fileExistsAtPath:"), path)) return false;  // unreadable: keep it
  }
  id updated =
      msg<id>(msg<id>(cls("NSMutableDictionary"), CV_SEL("alloc")), CV_SEL("initWithDictionary:"), stored);
  change(updated, context);
  const bool written = msg<BOOL>(updated, CV_SEL("writeToFile:atomically:"), path, (BOOL) true);
  msg<void>(updated, CV_SEL("release"));
  msg<void>(stored, CV_SEL("release"));
  return written;
}

}  // namespace corvane
