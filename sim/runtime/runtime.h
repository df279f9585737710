// What the simulated host's own code uses of the runtime beyond the
// platform's C functions: defining classes, methods and instance variables,
// allocating instances, and the per-process class table.
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "sim/runtime/object.h"

namespace sim {

// The host raises: prints the message and aborts, or, inside a CrashScope
// (sim/runtime/crash.h), throws ProcessCrashed.
[[noreturn]] void fatal(const std::string& message);

// One record per class that the library touched through MSHookMessageEx or
// class_addMethod, in the order of first touch.
struct TouchRecord {
  std::string class_name;
  std::vector<std::string> hooked;                         // instance methods, installation order
  std::vector<std::string> class_hooked;                   // class methods (hooked on the metaclass)
  std::vector<std::pair<std::string, std::string>> added;  // selector, encoding
};

// The runtime of one simulated process. Made when the process boots and
// torn down with it: every class and object of the process goes then.
void runtime_start();
void runtime_stop();
bool runtime_running();
const std::vector<TouchRecord>& runtime_touches();
// Host state kept outside objects (tables, centres, clocks) registers a
// reset that runs whenever a process ends.
void on_runtime_stop(void (*reset)());
struct RuntimeStopHook {
  explicit RuntimeStopHook(void (*reset)()) { on_runtime_stop(reset); }
};
size_t live_object_count();
// What the emulation's boundary asks of a raw value the guest hands over.
// Objects are tracked only after track_live_objects() (the emulated library
// calls it at load), so the native path keeps no registry; is_live_object is
// then true for every object, class and metaclass not yet freed.
void track_live_objects();
bool is_live_object(const void* p);
bool is_selector(const void* p);
// Told of every MSHookMessageEx whose selector the class (and its
// superclasses) does not have: nothing is installed and the saved slot
// stays as it was. The event log listens.
void on_missing_hook(void (*observer)(Class cls, SEL sel));

// Classes. define_class makes the class and its metaclass; T is the C++
// struct that holds an instance (it must derive from the superclass's struct,
// and ultimately from objc_object).
Class define_class_raw(const std::string& name, Class superclass, size_t size, Constructor ctor,
                       Destructor dtor);
template <typename T>
Class define_class(const std::string& name, Class superclass) {
  return define_class_raw(
      name, superclass, sizeof(T), [](void* p) { new (p) T(); }, [](void* p) { static_cast<T*>(p)->~T(); });
}
Class class_named(std::string_view name);  // nullptr when absent
std::vector<Class> all_classes();          // in definition order
// How the process's classes that are not defined yet come to be: `one`
// defines the class of that name if the process has it (else nullptr), `all`
// defines every one left.
void set_class_realizer(Class (*one)(std::string_view name), void (*all)());

// Adds a method without recording it as the library's doing. def and
// def_class give it the compiler's arm64 encoding of the function's C++
// types ("v24@0:8@16"); where the platform's encoding says more than the C++
// types can (a block is "@?"), the platform's string is given and must
// agree with the function's types, or the host does not start. The
// selector's name and both encodings live as long as the program (literals,
// or the templates' statics): each is looked up, normalized and checked once,
// not at every process start.
void define_method_raw(Class cls, const char* sel, IMP imp, const char* types);
void define_method_checked(Class cls, const char* sel, IMP imp, const char* types, const char* cxx_types);
template <typename R, typename... A>
void def(Class cls, const char* sel, R (*fn)(id, SEL, A...)) {
  define_method_raw(cls, sel, reinterpret_cast<IMP>(fn), sim_enc::frame_encoding<R, A...>());
}
template <typename R, typename... A>
void def(Class cls, const char* sel, R (*fn)(id, SEL, A...), const char* types) {
  define_method_checked(cls, sel, reinterpret_cast<IMP>(fn), types, sim_enc::signature<R, A...>()->types);
}
template <typename R, typename... A>
void def_class(Class cls, const char* sel, R (*fn)(id, SEL, A...)) {
  define_method_raw(cls->counterpart, sel, reinterpret_cast<IMP>(fn), sim_enc::frame_encoding<R, A...>());
}
template <typename R, typename... A>
void def_class(Class cls, const char* sel, R (*fn)(id, SEL, A...), const char* types) {
  define_method_checked(cls->counterpart, sel, reinterpret_cast<IMP>(fn), types,
                        sim_enc::signature<R, A...>()->types);
}
Method* find_method(Class cls, SEL sel);  // along the superclass chain
Method* own_method(Class cls, SEL sel);   // this class only
// The method a send of sel to an instance of cls reaches, through the
// class's dispatch cache (what a send pays): nullptr when it has none.
Method* responding_method(Class cls, SEL sel);

// Named instance variables, for valueForKey: and dump class. An object
// ivar is a Strong member (Ownership::Strong) or a Weak member
// (Ownership::Weak) at that offset; `class_name` gives its declared class
// (the encoding @"UIView"), nullptr for a plain id. A scalar ivar gives its
// encoding ("q", "B", "d") and is held by assignment.
void add_ivar(Class cls, const std::string& name, size_t offset, const char* class_name = nullptr,
              Ownership ownership = Ownership::Strong);
void add_scalar_ivar(Class cls, const std::string& name, size_t offset, const char* encoding);
const Ivar* find_ivar(Class cls, std::string_view name);

// Instances: zero-filled memory with the class's struct constructed in it.
id alloc_instance(Class cls);
template <typename T>
T* as(id obj) {
  return static_cast<T*>(obj);
}
bool is_kind_of(id obj, Class cls);
bool is_kind_of(id obj, std::string_view class_name);
std::string class_name_of(id obj);

inline SEL sel(const char* name) { return sel_registerName(name); }

// An object reference that retains what it holds (the host's strong
// instance variables). Layout-compatible with id, so valueForKey: can read
// it at its offset.
class Strong {
 public:
  Strong() = default;
  Strong(id v) : p_(objc_retain(v)) {}  // NOLINT: implicit on purpose
  Strong(const Strong& o) : p_(objc_retain(o.p_)) {}
  Strong& operator=(const Strong& o) { return *this = o.p_; }
  Strong& operator=(id v) {
    objc_retain(v);
    id old = p_;
    p_ = v;
    objc_release(old);
    return *this;
  }
  ~Strong() { objc_release(p_); }
  id get() const { return p_; }
  operator id() const { return p_; }  // NOLINT
 private:
  id p_ = nullptr;
};

// A zeroing weak reference.
class Weak {
 public:
  Weak() = default;
  Weak(const Weak&) = delete;
  Weak& operator=(const Weak&) = delete;
  Weak& operator=(id v) {
    objc_storeWeak(&p_, v);
    return *this;
  }
  ~Weak() { objc_destroyWeak(&p_); }
  id get() const { return p_; }
  operator id() const { return p_; }  // NOLINT
 private:
  id p_ = nullptr;
};

// The platform's shared-instance pattern (sharedInstance, defaultCenter,
// sharedApplication): one object per process, made on first use and
// released when the process ends. Instances live at namespace scope.
class SharedInstance {
 public:
  SharedInstance();
  SharedInstance(const SharedInstance&) = delete;
  SharedInstance& operator=(const SharedInstance&) = delete;
  // The object; on first use `make` makes it (returning it retained).
  template <typename Make>
  id get(Make&& make) {
    if (!object_) {
      id made = make();
      object_ = made;
      objc_release(made);
    }
    return object_;
  }
  // The plain case: a new instance of `cls`.
  id get(Class cls) {
    return get([cls] { return alloc_instance(cls); });
  }
  void reset() { object_ = nullptr; }

 private:
  Strong object_;
};

// Drains the autorelease pool pushed at construction.
class AutoreleasePool {
 public:
  AutoreleasePool() : token_(objc_autoreleasePoolPush()) {}
  ~AutoreleasePool() { objc_autoreleasePoolPop(token_); }
  AutoreleasePool(const AutoreleasePool&) = delete;
  AutoreleasePool& operator=(const AutoreleasePool&) = delete;

 private:
  void* token_;
};

}  // namespace sim
