// NSObject: allocation, reference counting, introspection and key-value
// access to named instance variables.
#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

id alloc(id self, SEL) { return alloc_instance(static_cast<Class>(self)); }
id new_(id self, SEL) {
  id o = alloc_instance(static_cast<Class>(self));
  return send<id>(o, sel("init"));
}
id init(id self, SEL) { return self; }
id retain(id self, SEL) { return objc_retain(self); }
void release(id self, SEL) { objc_release(self); }
id autorelease(id self, SEL) { return objc_autorelease(self); }
Class class_(id self, SEL) { return self->isa->meta ? static_cast<Class>(self) : self->isa; }
BOOL responds(id self, SEL, SEL s) { return class_respondsToSelector(self->isa, s); }
BOOL is_kind(id self, SEL, Class c) { return is_kind_of(self, c); }
BOOL is_member(id self, SEL, Class c) { return self->isa == c; }
BOOL is_equal(id self, SEL, id other) { return objects_equal(self, other); }
NSUInteger hash(id self, SEL) { return reinterpret_cast<NSUInteger>(self); }

// valueForKey: a getter method of that name, else the instance variable of
// that name or with a leading underscore. An unknown key raises, as on the
// platform.
id value_for_key(id self, SEL, id key) {
  std::string k = string_value(key);
  if (const Ivar* iv = find_ivar(self->isa, k); iv && iv->type == "@")
    return *reinterpret_cast<id*>(reinterpret_cast<char*>(self) + iv->offset);
  SEL getter = sel_registerName(k.c_str());
  if (const char* types = sim_class_method_types(self->isa, getter); types && types[0] == '@')
    return send<id>(self, getter);
  if (const Ivar* iv = find_ivar(self->isa, "_" + k); iv && iv->type == "@")
    return *reinterpret_cast<id*>(reinterpret_cast<char*>(self) + iv->offset);
  fatal("[<" + self->isa->name +
        "> valueForKey:]: this class is not key value coding-compliant for the key " + k);
}

void set_value_for_key(id self, SEL, id value, id key) {
  std::string k = string_value(key);
  for (const std::string& name : {k, "_" + k}) {
    if (const Ivar* iv = find_ivar(self->isa, name); iv && iv->type == "@") {
      *reinterpret_cast<Strong*>(reinterpret_cast<char*>(self) + iv->offset) = value;
      return;
    }
  }
  fatal("[<" + self->isa->name +
        "> setValue:forKey:]: this class is not key value coding-compliant for the key " + k);
}

Class install() {
  Class c = define_class<objc_object>("NSObject", nullptr);
  def_class(c, "alloc", alloc);
  def_class(c, "new", new_);
  def(c, "init", init);
  def(c, "retain", retain);
  def(c, "release", release);
  def(c, "autorelease", autorelease);
  def(c, "class", class_);
  def(c, "respondsToSelector:", responds);
  def(c, "isKindOfClass:", is_kind);
  def(c, "isMemberOfClass:", is_member);
  def(c, "isEqual:", is_equal);
  def(c, "hash", hash);
  def(c, "valueForKey:", value_for_key);
  def(c, "setValue:forKey:", set_value_for_key);
  return c;
}

SIM_HOST_CLASS("NSObject", Layer::Foundation, install);

}  // namespace
}  // namespace sim

extern "C" Class NSClassFromString(id name) { return sim::class_named(sim::string_value(name)); }

extern "C" id NSStringFromClass(Class cls) { return cls ? sim::make_string(class_getName(cls)) : nullptr; }
