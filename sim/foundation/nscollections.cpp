// NSArray, NSMutableArray, NSDictionary and NSMutableDictionary.
#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

NSArrayObj* arr(id self) { return as<NSArrayObj>(self); }

NSUInteger count(id self, SEL) { return arr(self)->items.size(); }

// Out of range raises on the platform; here the process stops with the
// platform's message.
id object_at_index(id self, SEL, NSUInteger i) {
  auto& items = arr(self)->items;
  if (i >= items.size()) {
    fatal("-[" + self->isa->name + " objectAtIndex:]: index " + std::to_string(i) +
          (items.empty() ? " beyond bounds for empty array"
                         : " beyond bounds [0 .. " + std::to_string(items.size() - 1) + "]"));
  }
  return items[i];
}
id first_object(id self, SEL) { return arr(self)->items.empty() ? nullptr : arr(self)->items.front().get(); }
id last_object(id self, SEL) { return arr(self)->items.empty() ? nullptr : arr(self)->items.back().get(); }
BOOL contains_object(id self, SEL, id o) {
  for (auto& it : arr(self)->items)
    if (objects_equal(it, o)) return YES;
  return NO;
}
id array(id self, SEL) { return objc_autorelease(alloc_instance(static_cast<Class>(self))); }
void add_object(id self, SEL, id o) {
  if (!o) fatal("-[NSMutableArray addObject:]: object cannot be nil");
  arr(self)->items.emplace_back(o);
}
void remove_object(id self, SEL, id o) {
  auto& items = arr(self)->items;
  for (size_t i = 0; i < items.size();)
    if (objects_equal(items[i], o)) items.erase(items.begin() + static_cast<long>(i));
    else ++i;
}
void remove_all(id self, SEL) { arr(self)->items.clear(); }

Class install_array() {
  Class c = define_class<NSArrayObj>("NSArray", ensure_class("NSObject"));
  def_class(c, "array", array);
  def(c, "count", count);
  def(c, "objectAtIndex:", object_at_index);
  def(c, "firstObject", first_object);
  def(c, "lastObject", last_object);
  def(c, "containsObject:", contains_object);
  return c;
}

Class install_mutable_array() {
  Class c = define_class<NSArrayObj>("NSMutableArray", ensure_class("NSArray"));
  def(c, "addObject:", add_object);
  def(c, "removeObject:", remove_object);
  def(c, "removeAllObjects", remove_all);
  return c;
}

NSDictionaryObj* dict(id self) { return as<NSDictionaryObj>(self); }

id object_for_key(id self, SEL, id key) {
  for (auto& [k, v] : dict(self)->entries)
    if (objects_equal(k, key)) return v;
  return nullptr;
}
NSUInteger dict_count(id self, SEL) { return dict(self)->entries.size(); }
id all_keys(id self, SEL) {
  std::vector<id> keys;
  for (auto& [k, v] : dict(self)->entries) keys.push_back(k);
  return make_array(keys);
}
id dictionary(id self, SEL) { return objc_autorelease(alloc_instance(static_cast<Class>(self))); }

// A file that is absent, unreadable or not a dictionary yields nil; the
// half-made instance is released, as the platform's initialisers do.
id init_with_contents_of_file(id self, SEL, id path) {
  id loaded = dictionary_from_file(string_value(path));
  if (!loaded) {
    objc_release(self);
    return nullptr;
  }
  dict(self)->entries = dict(loaded)->entries;
  return self;
}
id init_with_dictionary(id self, SEL, id other) {
  if (other) dict(self)->entries = dict(other)->entries;
  return self;
}
BOOL write_to_file(id self, SEL, id path, BOOL atomically) {
  return write_plist_object(self, string_value(path), atomically);
}
void set_object_for_key(id self, SEL, id value, id key) {
  if (!value || !key) fatal("-[NSMutableDictionary setObject:forKey:]: object or key cannot be nil");
  dictionary_set(self, key, value);
}
// For a dictionary, setValue:forKey: stores under the key; nil removes it.
void set_value_for_key(id self, SEL, id value, id key) { dictionary_set(self, key, value); }
void remove_object_for_key(id self, SEL, id key) { dictionary_set(self, key, nullptr); }

Class install_dictionary() {
  Class c = define_class<NSDictionaryObj>("NSDictionary", ensure_class("NSObject"));
  def_class(c, "dictionary", dictionary);
  def(c, "objectForKey:", object_for_key);
  def(c, "valueForKey:", object_for_key);
  def(c, "count", dict_count);
  def(c, "allKeys", all_keys);
  def(c, "initWithContentsOfFile:", init_with_contents_of_file);
  def(c, "initWithDictionary:", init_with_dictionary);
  def(c, "writeToFile:atomically:", write_to_file);
  return c;
}

Class install_mutable_dictionary() {
  Class c = define_class<NSDictionaryObj>("NSMutableDictionary", ensure_class("NSDictionary"));
  // Declared again here, as Foundation does, for a mutable result; the
  // host's dictionaries share one representation.
  def(c, "initWithContentsOfFile:", init_with_contents_of_file);
  def(c, "setObject:forKey:", set_object_for_key);
  def(c, "setValue:forKey:", set_value_for_key);
  def(c, "removeObjectForKey:", remove_object_for_key);
  return c;
}

SIM_HOST_CLASS("NSArray", Layer::Foundation, install_array);
SIM_HOST_CLASS("NSMutableArray", Layer::Foundation, install_mutable_array);
SIM_HOST_CLASS("NSDictionary", Layer::Foundation, install_dictionary);
SIM_HOST_CLASS("NSMutableDictionary", Layer::Foundation, install_mutable_dictionary);

}  // namespace

id make_array(const std::vector<id>& items, bool mutable_array) {
  id o = alloc_instance(ensure_class(mutable_array ? "NSMutableArray" : "NSArray"));
  for (id it : items) arr(o)->items.emplace_back(it);
  return objc_autorelease(o);
}

id make_dictionary(bool mutable_dictionary) {
  return objc_autorelease(
      alloc_instance(ensure_class(mutable_dictionary ? "NSMutableDictionary" : "NSDictionary")));
}

id dictionary_get(id d, std::string_view key) {
  if (!d) return nullptr;
  for (auto& [k, v] : dict(d)->entries)
    if (string_value(k) == key) return v;
  return nullptr;
}

void dictionary_set(id d, id key, id value) {
  auto& entries = dict(d)->entries;
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (!objects_equal(it->first, key)) continue;
    if (value) it->second = value;
    else entries.erase(it);
    return;
  }
  if (value) entries.emplace_back(key, value);
}

bool objects_equal(id a, id b) {
  if (a == b) return true;
  if (!a || !b) return false;
  if (is_string(a) && is_string(b)) return as<NSStringObj>(a)->utf8 == as<NSStringObj>(b)->utf8;
  if (is_number(a) && is_number(b)) {
    auto* x = as<NSNumberObj>(a);
    auto* y = as<NSNumberObj>(b);
    if (x->kind != NSNumberObj::Real && y->kind != NSNumberObj::Real) return x->i == y->i;
    double dx = x->kind == NSNumberObj::Real ? x->d : static_cast<double>(x->i);
    double dy = y->kind == NSNumberObj::Real ? y->d : static_cast<double>(y->i);
    return dx == dy;
  }
  return false;
}

}  // namespace sim
