// PSListController.
//
// - specifiers answers _specifiers as it stands: the base class loads
//   nothing itself, a subclass fills the ivar (the host's pick; the
//   framework's own fallback is not documented).
// - loadSpecifiersFromPlistName:target:(bundle:) reads NAME.plist from the
//   bundle (by default [NSBundle bundleForClass:[self class]]) and makes one
//   specifier per item: "cell" through +[PSTableCell cellTypeFromString:],
//   "label" as the name, the target, "get"/"set"/"action" as selectors, and
//   for a row with a "key" and no "get"/"set" the target's
//   readPreferenceValue: and setPreferenceValue:specifier:; "detail" names
//   the detail controller class; every item key is kept as a property.
// - reloadSpecifiers empties _specifiers and asks specifiers again.
// - lazyLoadBundle: loads the bundle of a specifier's "lazy-bundle" and makes
//   the specifier's detail class its "detail" class, else the bundle's
//   principal class (where iOS's order is not documented both name the same
//   class in a well-made entry). PreferenceLoader's part follows: when a row
//   it made ("pl_bundle") still has no loaded bundle, the row opens its
//   error page, PLFailedBundleListController.
// - controllerForSpecifier: makes the specifier's detail class, which must be
//   a PSViewController subclass (else nil), with initForContentSize:, then
//   sets its root controller, parent controller and specifier.
#include "sim/preferences/PSListController.h"

#include "sim/foundation/NSBundle.h"
#include "sim/foundation/foundation.h"
#include "sim/preferences/PSSpecifier.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

PSListControllerObj* list(id self) { return as<PSListControllerObj>(self); }

id specifiers(id self, SEL) { return list(self)->specifiers; }

SEL selector_property(id item, const char* key) {
  id name = dictionary_get(item, key);
  return is_string(name) && !string_value(name).empty() ? sel(string_value(name).c_str()) : nullptr;
}

id specifier_from_item(id item, id target) {
  Class specifier_class = class_named("PSSpecifier");
  id cell_name = dictionary_get(item, "cell");
  NSInteger cell = send<NSInteger>(reinterpret_cast<id>(class_named("PSTableCell")),
                                   sel("cellTypeFromString:"), cell_name);
  id label = dictionary_get(item, "label");
  SEL get = selector_property(item, "get");
  SEL set = selector_property(item, "set");
  if (dictionary_get(item, "key")) {
    if (!get) get = sel("readPreferenceValue:");
    if (!set) set = sel("setPreferenceValue:specifier:");
  }
  id detail_name = dictionary_get(item, "detail");
  Class detail = is_string(detail_name) ? class_named(string_value(detail_name)) : nullptr;
  id s = send<id>(
      reinterpret_cast<id>(specifier_class), sel("preferenceSpecifierNamed:target:set:get:detail:cell:edit:"),
      is_string(label) ? label : nullptr, target, set, get, detail, cell, static_cast<Class>(nullptr));
  send<void>(s, sel("setProperties:"), item);
  as<PSSpecifierObj>(s)->action = selector_property(item, "action");
  return s;
}

id load_from_bundle(id, SEL, id name, id target, id bundle) {
  id page = make_array({}, true);
  if (!bundle || !is_string(name)) return page;
  const std::string file = string_value(name);
  if (file.empty() || file.find('/') != std::string::npos) return page;
  id dict = dictionary_from_file(as<NSBundleObj>(bundle)->path + "/" + file + ".plist");
  id items = dictionary_get(dict, "items");
  if (!items || !is_kind_of(items, "NSArray") || as<NSArrayObj>(items)->items.size() > kMaxPageRows)
    return page;
  for (const Strong& item : as<NSArrayObj>(items)->items)
    if (is_kind_of(item, "NSDictionary"))
      send<void>(page, sel("addObject:"), specifier_from_item(item, target));
  return page;
}

id own_bundle(id self, SEL) {
  return send<id>(reinterpret_cast<id>(class_named("NSBundle")), sel("bundleForClass:"), self->isa);
}

id load_from_plist(id self, SEL, id name, id target) {
  return send<id>(self, sel("loadSpecifiersFromPlistName:target:bundle:"), name, target,
                  send<id>(self, sel("bundle")));
}

void reload_specifiers(id self, SEL) {
  list(self)->specifiers = nullptr;
  send<id>(self, sel("specifiers"));
}

id specifier_for_id(id self, SEL, id identifier) {
  id all = send<id>(self, sel("specifiers"));
  if (!all) return nullptr;
  for (const Strong& s : as<NSArrayObj>(all)->items)
    if (objects_equal(send<id>(s, sel("identifier")), identifier)) return s;
  return nullptr;
}

id init_for_content_size(id self, SEL, CGSize) { return send<id>(self, sel("init")); }

void lazy_load_bundle(id, SEL, id row) {
  id path = specifier_property(row, "lazy-bundle");
  id bundle = is_string(path) ? bundle_at_path(string_value(path)) : nullptr;
  if (bundle && send<BOOL>(bundle, sel("load"))) {
    id detail_name = specifier_property(row, "detail");
    Class detail = is_string(detail_name) ? class_named(string_value(detail_name)) : nullptr;
    as<PSSpecifierObj>(row)->detail = detail ? detail : send<Class>(bundle, sel("principalClass"));
    send<void>(row, sel("removePropertyForKey:"), constant_string("lazy-bundle"));
    return;
  }
  if (specifier_property(row, "pl_bundle"))
    as<PSSpecifierObj>(row)->detail = class_named("PLFailedBundleListController");
}

id controller_for_specifier(id self, SEL, id row) {
  Class detail = as<PSSpecifierObj>(row)->detail;
  if (!detail || !is_kind_of(reinterpret_cast<id>(detail), class_named("PSViewController")->counterpart))
    return nullptr;
  id made = send<id>(reinterpret_cast<id>(detail), sel("alloc"));
  if (send<BOOL>(made, sel("respondsToSelector:"), sel("initForContentSize:")))
    made = send<id>(made, sel("initForContentSize:"), CGSize{375, 667});
  else made = send<id>(made, sel("init"));
  send<void>(made, sel("setRootController:"), send<id>(self, sel("rootController")));
  send<void>(made, sel("setParentController:"), self);
  send<void>(made, sel("setSpecifier:"), row);
  return objc_autorelease(made);
}

Class install() {
  Class c = define_class<PSListControllerObj>("PSListController", ensure_class("PSViewController"));
  add_ivar(c, "_specifiers", offsetof(PSListControllerObj, specifiers), "NSArray");
  def(c, "specifiers", specifiers);
  def(c, "loadSpecifiersFromPlistName:target:", load_from_plist);
  def(c, "loadSpecifiersFromPlistName:target:bundle:", load_from_bundle);
  def(c, "bundle", own_bundle);
  def(c, "reloadSpecifiers", reload_specifiers);
  def(c, "specifierForID:", specifier_for_id);
  def(c, "initForContentSize:", init_for_content_size);
  def(c, "lazyLoadBundle:", lazy_load_bundle);
  def(c, "controllerForSpecifier:", controller_for_specifier);
  return c;
}

SIM_HOST_CLASS("PSListController", Layer::Preferences, install);

}  // namespace
}  // namespace sim
