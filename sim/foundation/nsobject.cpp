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
BOOL instances_respond(id self, SEL, SEL s) { return class_respondsToSelector(static_cast<Class>(self), s); }
// -superclass is the superclass of the receiver's class; +superclass that of
// the class itself (nil for the root).
Class superclass(id self, SEL) { return self->isa->superclass; }
Class class_superclass(id self, SEL) { return static_cast<Class>(self)->superclass; }
BOOL is_kind(id self, SEL, Class c) { return is_kind_of(self, c); }
BOOL is_member(id self, SEL, Class c) { return self->isa == c; }
BOOL is_equal(id self, SEL, id other) { return objects_equal(self, other); }
NSUInteger hash(id self, SEL) { return reinterpret_cast<NSUInteger>(self); }

// valueForKey: in the platform's documented order: the accessor methods
// get<Key>, <key>, is<Key>, _<key>; then the instance variables _<key>,
// _is<Key>, <key>, is<Key>. A scalar result or ivar comes back boxed in an
// NSNumber. An unknown key raises, as on the platform.
std::string capitalised(const std::string& k) {
  std::string c = k;
  if (!c.empty() && c[0] >= 'a' && c[0] <= 'z') c[0] = static_cast<char>(c[0] - 'a' + 'A');
  return c;
}

// The value of a getter by its encoding's result type; false when the
// result is of a type valueForKey: cannot box.
bool call_getter(id self, SEL getter, const char* types, id* out) {
  switch (types[0]) {
    case '@': *out = send<id>(self, getter); return true;
    case 'B': *out = make_bool(send<bool>(self, getter)); return true;
    case 'q': *out = make_int(send<long>(self, getter)); return true;
    case 'd': *out = make_double(send<double>(self, getter)); return true;
    default: return false;
  }
}

bool read_ivar(id self, const Ivar& iv, id* out) {
  if (iv.is_object()) {
    *out = iv.object_in(self);
    return true;
  }
  const char* at = reinterpret_cast<const char*>(self) + iv.offset;
  switch (iv.type[0]) {
    case 'B': *out = make_bool(*reinterpret_cast<const bool*>(at)); return true;
    case 'q': *out = make_int(*reinterpret_cast<const int64_t*>(at)); return true;
    case 'd': *out = make_double(*reinterpret_cast<const double*>(at)); return true;
    default: return false;
  }
}

id value_for_key(id self, SEL, id key) {
  std::string k = string_value(key);
  std::string K = capitalised(k);
  for (const std::string& name : {"get" + K, k, "is" + K, "_" + k}) {
    SEL getter = sel_registerName(name.c_str());
    const Method* m = responding_method(self->isa, getter);
    id value = nullptr;
    if (m && call_getter(self, getter, m->types, &value)) return value;
  }
  for (const std::string& name : {"_" + k, "_is" + K, k, "is" + K}) {
    id value = nullptr;
    if (const Ivar* iv = find_ivar(self->isa, name); iv && read_ivar(self, *iv, &value)) return value;
  }
  fatal("[<" + self->isa->name +
        "> valueForKey:]: this class is not key value coding-compliant for the key " + k);
}

void set_value_for_key(id self, SEL, id value, id key) {
  std::string k = string_value(key);
  for (const std::string& name : {k, "_" + k}) {
    if (const Ivar* iv = find_ivar(self->isa, name); iv && iv->is_object()) {
      char* at = reinterpret_cast<char*>(self) + iv->offset;
      if (iv->ownership == Ownership::Weak) *reinterpret_cast<Weak*>(at) = value;
      else *reinterpret_cast<Strong*>(at) = value;
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
  def_class(c, "instancesRespondToSelector:", instances_respond);
  def(c, "superclass", superclass);
  def_class(c, "superclass", class_superclass);
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
