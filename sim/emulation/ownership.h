// The references the library holds on host objects, as the platform's
// memory rules count them: a result of an alloc, new, copy, mutableCopy or
// init method, of retain, or of a C function that creates or copies, is the
// library's to release; release and autorelease give one up. The emulation
// keeps the count so that a library that releases what it does not own (an
// over-release, which frees an object the host still uses) crashes the
// simulated process there, as it would crash the phone's, instead of
// corrupting the host's memory.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace sim::emulation {

class Ownership {
 public:
  void gained(const void* object) {
    if (object) ++held_[object];
  }
  // False, changing nothing, when the library holds no reference to it.
  bool give_up(const void* object);

 private:
  std::unordered_map<const void*, uint32_t> held_;
};

enum class MethodFamily { None, Owning, Init, Retain, Release, Dealloc };

// The family of a selector by the platform's naming rules: "alloc",
// "allocWithZone:", "newValue", "copy", "mutableCopyWithZone:" return owned
// references and "init..." consumes its receiver, but "allocate",
// "copying", "newt" and "initials" do not.
MethodFamily method_family(std::string_view selector);

}  // namespace sim::emulation
