// The settings pane's controller, Corvane13RootListController: a subclass of
// the Preferences framework's PSListController, made when the bundle loads
// (the bundle has no Objective-C compiler behind it: the class is built
// through the runtime's C functions, under the superclass found by name).
//
// Its page is Root.plist. Switches and sliders do not go through the
// framework's own storage: that storage reaches the file through cfprefsd,
// which writes when it chooses, and "Apply" right after a change would then
// restart the home screen on the old file. So readPreferenceValue: reads the
// settings file the way the library reads it, and setPreferenceValue:
// rewrites it by the library's own rules (core/settings_file.h).
#include "core/names.h"
#include "core/settings_file.h"
#include "platform/platform.h"
#include "prefs/page.h"

#ifndef CORVANE_VERSION
#error "CORVANE_VERSION names the package's version"
#endif

namespace corvane::pane {
namespace {

Ivar g_specifiers_ivar = nullptr;  // PSListController's _specifiers

// The per-application list row works only with the list library's picker;
// without it the row says so and cannot be tapped.
void mark_app_list_row(id self) {
  if (cls("SparkAppListTableViewController")) return;
  id row = msg<id>(self, CV_SEL("specifierForID:"), CV_STR(kAppListRowID));
  msg<void>(row, CV_SEL("setName:"), CV_STR(kAppListMissingLabel));
  id no = msg<id>(cls("NSNumber"), CV_SEL("numberWithBool:"), (BOOL) false);
  msg<void>(row, CV_SEL("setProperty:forKey:"), no, CV_STR("enabled"));
}

// -specifiers: the page is loaded into _specifiers once, as the framework
// expects (group indices are computed from the ivar). The ivar is written
// through the runtime, which keeps the array as a strong ivar holds it
// whether or not the framework was built with ARC.
id specifiers(id self, SEL) {
  id page = object_getIvar(self, g_specifiers_ivar);
  if (!page) {
    page = msg<id>(self, CV_SEL("loadSpecifiersFromPlistName:target:"), CV_STR("Root"), self);
    object_setIvarWithStrongDefault(self, g_specifiers_ivar, page);
    mark_app_list_row(self);
  }
  return page;
}

// -readPreferenceValue: the value the library would take for the row's key
// (the stored value converted as the library converts it, or the default),
// so that the page never shows what the library does not do. A row without
// one of the library's keys shows its own default.
id read_preference_value(id, SEL, id specifier) {
  id name = msg<id>(specifier, CV_SEL("propertyForKey:"), CV_STR("key"));
  const SettingsKey* key = find_settings_key(name);
  if (!key) return msg<id>(specifier, CV_SEL("propertyForKey:"), CV_STR("default"));
  id dict = read_settings_dictionary();
  id value = settings_value_or_default(dict, *key);
  Class number = cls("NSNumber");
  id shown = key->flag ? msg<id>(number, CV_SEL("numberWithBool:"), msg<BOOL>(value, CV_SEL("boolValue")))
                       : msg<id>(number, CV_SEL("numberWithDouble:"),
                                 (double)msg<float>(value, CV_SEL("floatValue")));
  msg<void>(dict, CV_SEL("release"));
  return shown;
}

struct Change {
  id key;
  id value;
};

void set_one_key(id dict, void* context) {
  const Change* change = static_cast<const Change*>(context);
  msg<void>(dict, CV_SEL("setObject:forKey:"), change->value, change->key);
}

// -setPreferenceValue:specifier: one key rewritten in the settings file,
// every other key kept; a boolean stored as a boolean and a real as a real,
// whatever the control handed over. Only the library's keys are written.
void set_preference_value(id, SEL, id value, id specifier) {
  id name = msg<id>(specifier, CV_SEL("propertyForKey:"), CV_STR("key"));
  const SettingsKey* key = find_settings_key(name);
  if (!key || !value) return;
  Class number = cls("NSNumber");
  Change change{str(key->name), nullptr};
  if (key->flag) {
    if (!msg<BOOL>(value, CV_SEL("respondsToSelector:"), CV_SEL("boolValue"))) return;
    change.value = msg<id>(number, CV_SEL("numberWithBool:"), msg<BOOL>(value, CV_SEL("boolValue")));
  } else {
    if (!msg<BOOL>(value, CV_SEL("respondsToSelector:"), CV_SEL("doubleValue"))) return;
    change.value = msg<id>(number, CV_SEL("numberWithDouble:"), msg<double>(value, CV_SEL("doubleValue")));
  }
  rewrite_settings_file(set_one_key, &change, true);
}

void remove_library_keys(id dict, void*) {
  size_t count = 0;
  const SettingsKey* keys = settings_keys(&count);
  for (size_t i = 0; i < count; ++i) msg<void>(dict, CV_SEL("removeObjectForKey:"), str(keys[i].name));
}

// -resetDefaults: (after the row's confirmation) the library's keys leave
// the file, every other key stays; a missing file stays missing.
void reset_defaults(id self, SEL, id) {
  rewrite_settings_file(remove_library_keys, nullptr, false);
  msg<void>(self, CV_SEL("reloadSpecifiers"));
}

// -apply: the restart signal: the library in the home screen relaunches it,
// and the relaunched home screen reads the file afresh.
void apply(id, SEL, id) {
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                       cf_str(names::kRestartSignal), nullptr, nullptr, true);
}

// -openAppList: the list library's picker for the library's identifier and
// key, pushed on the navigation stack (it is no PSViewController, so the
// page cannot name it as a row's detail).
void open_app_list(id self, SEL, id) {
  Class picker_class = cls("SparkAppListTableViewController");
  if (!picker_class) return;
  id picker = msg<id>(picker_class, CV_SEL("alloc"));
  picker = msg<id>(picker, CV_SEL("initWithIdentifier:andKey:"), CV_STR(names::kAppListIdentifier),
                   CV_STR(names::kAppListKey));
  id navigation = msg<id>(self, CV_SEL("navigationController"));
  msg<void>(navigation, CV_SEL("pushViewController:animated:"), picker, (BOOL) true);
  msg<void>(picker, CV_SEL("release"));
}

// -versionString: the version row's value.
id version_string(id, SEL, id) { return CV_STR(CORVANE_VERSION); }

template <typename F>
void add(Class c, const char* name, F* fn, const char* types) {
  class_addMethod(c, sel(name), reinterpret_cast<IMP>(fn), types);
}

}  // namespace

// Defines the controller class. Outside the Settings app (no
// PSListController) there is nothing to define; a class already defined
// under that name is left alone.
void define_controller() {
  Class list = cls("PSListController");
  if (!list) return;
  g_specifiers_ivar = class_getInstanceVariable(list, "_specifiers");
  if (!g_specifiers_ivar) return;
  Class c = objc_allocateClassPair(list, kControllerClass, 0);
  if (!c) return;
  add(c, "specifiers", specifiers, "@16@0:8");
  add(c, "readPreferenceValue:", read_preference_value, "@24@0:8@16");
  add(c, "setPreferenceValue:specifier:", set_preference_value, "v32@0:8@16@24");
  add(c, "resetDefaults:", reset_defaults, "v24@0:8@16");
  add(c, "apply:", apply, "v24@0:8@16");
  add(c, "openAppList:", open_app_list, "v24@0:8@16");
  add(c, "versionString:", version_string, "@24@0:8@16");
  objc_registerClassPair(c);
}

}  // namespace corvane::pane

// The loader runs this once when the bundle is loaded.
__attribute__((constructor)) static void corvane13prefs_load(void) { corvane::pane::define_controller(); }
