// PSSpecifier. performGetter sends the getter to the target with the
// specifier; performSetterWithValue: sends the setter with the value and the
// specifier; a nil target or selector does nothing, as a message to nil
// does. identifier is the "id" property, else the name (the framework's
// fallback for rows without an id).
#include "sim/preferences/PSSpecifier.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

PSSpecifierObj* record(id self) { return as<PSSpecifierObj>(self); }

id properties(id self, SEL) { return record(self)->properties; }
void set_properties(id self, SEL, id p) {
  id copy = make_dictionary(true);
  if (p) as<NSDictionaryObj>(copy)->entries = as<NSDictionaryObj>(p)->entries;
  record(self)->properties = copy;
}
id property_for_key(id self, SEL, id key) {
  return dictionary_get(record(self)->properties, string_value(key));
}
void set_property(id self, SEL, id value, id key) {
  if (!key) return;
  dictionary_set(record(self)->properties, key, value);
}
void remove_property(id self, SEL, id key) {
  if (key) dictionary_set(record(self)->properties, key, nullptr);
}
id name(id self, SEL) { return record(self)->name; }
void set_name(id self, SEL, id n) { record(self)->name = n; }
id identifier(id self, SEL) {
  id i = dictionary_get(record(self)->properties, "id");
  return i ? i : id(record(self)->name);
}
void set_identifier(id self, SEL, id i) { dictionary_set(record(self)->properties, make_string("id"), i); }
NSInteger cell_type(id self, SEL) { return record(self)->cell_type; }
void set_cell_type(id self, SEL, NSInteger t) { record(self)->cell_type = t; }
id target(id self, SEL) { return record(self)->target; }
void set_target(id self, SEL, id t) { record(self)->target = t; }

id perform_getter(id self, SEL) {
  PSSpecifierObj* s = record(self);
  if (!s->getter) return nullptr;
  return send<id>(s->target.get(), s->getter, self);
}

void perform_setter(id self, SEL, id value) {
  PSSpecifierObj* s = record(self);
  if (!s->setter) return;
  send<void>(s->target.get(), s->setter, value, self);
}

id init(id self, SEL) {
  record(self)->properties = make_dictionary(true);
  return self;
}

id named(id cls, SEL, id n, id t, SEL set, SEL get, Class detail, NSInteger cell, Class) {
  id s = send<id>(send<id>(cls, sel("alloc")), sel("init"));
  PSSpecifierObj* p = record(s);
  p->name = n;
  p->target = t;
  p->setter = set;
  p->getter = get;
  p->detail = detail;
  p->cell_type = cell;
  return objc_autorelease(s);
}

id group_named(id cls, SEL, id n) {
  return send<id>(cls, sel("preferenceSpecifierNamed:target:set:get:detail:cell:edit:"), n, id(nullptr),
                  static_cast<SEL>(nullptr), static_cast<SEL>(nullptr), static_cast<Class>(nullptr),
                  NSInteger{PSGroupCell}, static_cast<Class>(nullptr));
}

id empty_group(id cls, SEL) { return group_named(cls, nullptr, nullptr); }

Class install() {
  Class c = define_class<PSSpecifierObj>("PSSpecifier", ensure_class("NSObject"));
  add_ivar(c, "target", offsetof(PSSpecifierObj, target), nullptr, Ownership::Weak);
  add_scalar_ivar(c, "getter", offsetof(PSSpecifierObj, getter), ":");
  add_scalar_ivar(c, "setter", offsetof(PSSpecifierObj, setter), ":");
  add_scalar_ivar(c, "action", offsetof(PSSpecifierObj, action), ":");
  add_scalar_ivar(c, "detailControllerClass", offsetof(PSSpecifierObj, detail), "#");
  add_scalar_ivar(c, "cellType", offsetof(PSSpecifierObj, cell_type), "q");
  add_ivar(c, "_name", offsetof(PSSpecifierObj, name), "NSString");
  add_ivar(c, "_properties", offsetof(PSSpecifierObj, properties), "NSMutableDictionary");
  def(c, "init", init);
  def(c, "properties", properties);
  def(c, "setProperties:", set_properties);
  def(c, "propertyForKey:", property_for_key);
  def(c, "setProperty:forKey:", set_property);
  def(c, "removePropertyForKey:", remove_property);
  def(c, "name", name);
  def(c, "setName:", set_name);
  def(c, "identifier", identifier);
  def(c, "setIdentifier:", set_identifier);
  def(c, "cellType", cell_type);
  def(c, "setCellType:", set_cell_type);
  def(c, "target", target);
  def(c, "setTarget:", set_target);
  def(c, "performGetter", perform_getter);
  def(c, "performSetterWithValue:", perform_setter);
  def_class(c, "preferenceSpecifierNamed:target:set:get:detail:cell:edit:", named);
  def_class(c, "groupSpecifierWithName:", group_named);
  def_class(c, "emptyGroupSpecifier", empty_group);
  return c;
}

SIM_HOST_CLASS("PSSpecifier", Layer::Preferences, install);

}  // namespace

id specifier_property(id specifier, const char* key) {
  return send<id>(specifier, sel("propertyForKey:"), constant_string(key));
}

bool specifier_flag(id specifier, const char* key, bool fallback) {
  id v = specifier_property(specifier, key);
  if (!v || !is_number(v)) return fallback;
  return send<BOOL>(v, sel("boolValue"));
}

}  // namespace sim
