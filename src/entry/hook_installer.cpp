#include "entry/hook_installer.h"

namespace corvane {
namespace {

// Appends `s` at `at` within a buffer of `cap` bytes; returns the new end.
size_t put(char* buf, size_t at, size_t cap, const char* s) {
  while (*s && at + 1 < cap) buf[at++] = *s++;
  buf[at] = 0;
  return at;
}

}  // namespace

void HookInstaller::begin_class(const char* name, bool class_side) {
  current_ = cls(name);
  if (class_side) current_ = object_getClass(reinterpret_cast<id>(current_));
}

void HookInstaller::hook(const char* selector, IMP replacement, IMP* saved) {
  MSHookMessageEx(current_, sel(selector), replacement, saved);
}

void HookInstaller::add(const char* selector, IMP imp, const char* types) {
  put(types_, 0, sizeof types_, types);
  class_addMethod(current_, sel(selector), imp, types_);
}

void HookInstaller::add_property(const char* getter, const char* setter, IMP get, IMP set, const char* type) {
  size_t n = put(types_, 0, sizeof types_, type);
  put(types_, n, sizeof types_, "@:");
  class_addMethod(current_, sel(getter), get, types_);
  n = put(types_, 0, sizeof types_, "v@:");
  put(types_, n, sizeof types_, type);
  class_addMethod(current_, sel(setter), set, types_);
}

}  // namespace corvane
