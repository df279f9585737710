// Installs hooks and added methods one class at a time, in the order given.
#pragma once

#include "platform/platform.h"

namespace corvane {

class HookInstaller {
 public:
  // Looks the class up by name once; with `class_side`, its metaclass, for
  // hooks of class methods. The result is not tested: the facility ignores
  // a missing class.
  void begin_class(const char* name, bool class_side = false);
  void hook(const char* selector, IMP replacement, IMP* saved);
  void add(const char* selector, IMP imp, const char* types);
  // A property's getter and setter, their encodings formed from its type
  // code: "%s@:" and "v@:%s".
  void add_property(const char* getter, const char* setter, IMP get, IMP set, const char* type);

 private:
  Class current_ = nullptr;
  char types_[16] = {};  // written before each addition; the runtime copies it
};

// Installs the whole table: every hook and every added method, class by class.
void install_hook_table();

}  // namespace corvane
