// Property-list files as Foundation objects: the bridge between the file
// layer's value tree and NSDictionary, NSArray, NSString, NSNumber, NSData
// and NSDate.
#include <fstream>

#include "sim/foundation/foundation.h"
#include "sim/foundation/plist_file.h"
#include "sim/system/event_log.h"
#include "sim/system/system.h"

namespace sim {
namespace {

id to_object(const plist::Value& v) {
  switch (v.type()) {
    case plist::Value::Type::Boolean: return make_bool(v.boolean());
    case plist::Value::Type::Integer:
      // Integers above INT64_MAX keep their value as a real.
      if (v.is_unsigned_integer() && v.unsigned_integer() > static_cast<uint64_t>(INT64_MAX))
        return make_double(static_cast<double>(v.unsigned_integer()));
      return make_int(v.integer());
    case plist::Value::Type::Real: return make_double(v.real());
    case plist::Value::Type::String: return make_string(v.string());
    case plist::Value::Type::Data: return make_data(v.data());
    case plist::Value::Type::Date: return make_date(v.date().seconds);
    case plist::Value::Type::Array: {
      std::vector<id> items;
      for (const auto& item : v.array()) items.push_back(to_object(item));
      return make_array(items, true);
    }
    case plist::Value::Type::Dictionary: {
      id d = make_dictionary(true);
      for (const auto& [key, value] : v.dictionary()) dictionary_set(d, make_string(key), to_object(value));
      return d;
    }
  }
  return nullptr;
}

// Objects that a property list cannot hold make the whole write fail, as on
// the platform.
std::optional<plist::Value> to_value(id o) {
  if (!o) return std::nullopt;
  if (is_string(o)) return plist::Value(string_value(o));
  if (is_number(o)) {
    auto* n = as<NSNumberObj>(o);
    switch (n->kind) {
      case NSNumberObj::Bool: return plist::Value(n->i != 0);
      case NSNumberObj::Int: return plist::Value(n->i);
      case NSNumberObj::Real: return plist::Value(n->d);
    }
  }
  if (is_kind_of(o, "NSData")) return plist::Value(as<NSDataObj>(o)->bytes);
  if (is_kind_of(o, "NSDate")) return plist::Value(plist::Date{as<NSDateObj>(o)->since_2001});
  if (is_kind_of(o, "NSArray")) {
    plist::Array a;
    for (const auto& item : as<NSArrayObj>(o)->items) {
      auto v = to_value(item);
      if (!v) return std::nullopt;
      a.push_back(std::move(*v));
    }
    return plist::Value(std::move(a));
  }
  if (is_kind_of(o, "NSDictionary")) {
    plist::Dictionary d;
    for (const auto& [key, value] : as<NSDictionaryObj>(o)->entries) {
      auto v = to_value(value);
      if (!is_string(key) || !v) return std::nullopt;
      d.set(string_value(key), std::move(*v));
    }
    return plist::Value(std::move(d));
  }
  return std::nullopt;
}

}  // namespace

id dictionary_from_file(const std::string& device_path) {
  if (sandbox_denies(device_path)) return nullptr;
  auto v = plist::read_file(host_path_of(device_path), nullptr);
  if (!v || !v->is_dictionary()) return nullptr;
  return to_object(*v);
}

bool write_plist_object(id object, const std::string& device_path, bool atomically) {
  if (sandbox_denies(device_path)) return false;
  auto v = to_value(object);
  if (!v) return false;
  std::string path = host_path_of(device_path);
  std::string xml = plist::to_xml(*v);
  bool ok;
  if (atomically) {
    ok = plist::write_atomically(path, xml, nullptr);
  } else {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ok = static_cast<bool>(out << xml) && static_cast<bool>(out.flush());
  }
  if (ok) {
    Event e;
    e.kind = "file-write";
    e.path = device_path;
    e.atomic = atomically;
    record_event(std::move(e));
  }
  return ok;
}

}  // namespace sim
