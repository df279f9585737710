// The simulated runtime's inner layout: objects, classes, methods and the
// per-class dispatch cache. Only sim/ sees these definitions; the library
// sees id, Class and SEL as opaque pointers.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/runtime/objc.h"

struct objc_selector {
  std::string name;
};

namespace sim {

struct Method {
  SEL sel = nullptr;
  IMP imp = nullptr;
  // The encoding as given to class_addMethod, and the same without offsets
  // and qualifiers, for checks. Both outlive the method: a host method's are
  // the program's own strings, a hook's are those of the method it hooks,
  // and a method added at run time keeps copies in `kept`.
  const char* types = "";
  const std::string* normalized = nullptr;
  const sim_signature* verified = nullptr;  // last caller signature that matched
  struct Kept {
    std::string types, normalized;
  } kept;

  Method() = default;
  Method(const Method&) = delete;  // `types` and `normalized` may point into `kept`
  Method& operator=(const Method&) = delete;
};

// How an instance variable holds what it refers to, as the platform's
// runtime records it (dump class prints it).
enum class Ownership { Strong, Weak, Assign };

struct Ivar {
  std::string name;
  size_t offset = 0;
  std::string type;  // the encoding: @"UIView" (or @) for an object, q, B, d for scalars
  Ownership ownership = Ownership::Strong;
  // An object reference: a Strong or Weak member (both one id wide) at offset.
  bool is_object() const { return !type.empty() && type[0] == '@'; }
  id object_in(const objc_object* owner) const {
    return *reinterpret_cast<const id*>(reinterpret_cast<const char*>(owner) + offset);
  }
};

// Associations and weak references of one object, made on first use.
struct Association {
  const void* key;
  id value;
  bool retained;  // every policy but ASSIGN retains
};
struct SideRecord {
  std::vector<Association> associations;
  std::vector<id*> weak_locations;
};

enum ObjectFlags : uint32_t {
  kImmortal = 1u << 0,      // classes and constant strings: never freed
  kDeallocating = 1u << 1,  // past its last release
};

// Small open-addressing map from selector to method. Every method change in
// the process bumps a global epoch, which empties every cache lazily.
struct MethodCache {
  struct Entry {
    SEL sel;
    Method* method;
  };
  std::vector<Entry> entries;  // power-of-two size
  size_t used = 0;
  uint64_t epoch = 0;
};

using Constructor = void (*)(void*);
using Destructor = void (*)(void*);

}  // namespace sim

struct objc_object {
  Class isa = nullptr;
  uint32_t refcount = 1;
  uint32_t flags = 0;
  sim::SideRecord* side = nullptr;
  uint64_t serial = 0;               // the process's allocation number: stable for the object's life
  objc_object* live_prev = nullptr;  // the process's list of live objects
  objc_object* live_next = nullptr;
};

struct objc_class : objc_object {
  objc_class* superclass = nullptr;
  objc_class* counterpart = nullptr;  // class <-> metaclass
  std::string name;
  bool meta = false;
  std::vector<sim::Method*> methods;  // owned, in order of addition
  sim::MethodCache cache;
  std::vector<sim::Ivar> ivars;
  size_t instance_size = sizeof(objc_object);
  sim::Constructor construct = nullptr;
  sim::Destructor destruct = nullptr;
};
