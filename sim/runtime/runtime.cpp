// The simulated Objective-C runtime: classes and metaclasses, selectors,
// dispatch, reference counting, autorelease pools, associated objects,
// zeroing weak references and the hooking facility.
//
// How it works
//
// One process at a time. runtime_start() creates the RuntimeState that holds
// every class (by name, and in definition order for dumps), every live object
// (an intrusive list, so that the end of the process can free what was never
// released) and the autorelease pool. runtime_stop() runs the registered
// stop hooks, frees every object and class at once and clears the state; a
// relaunch is a stop and a start. Selectors outlive processes: a SEL is an
// interned pointer that callers may keep in statics.
//
// A class is a pair of objc_class records, class and metaclass, wired as on
// the platform: the root metaclass's superclass is the root class. Methods
// are plain lists on each record; a lookup walks the superclass chain.
//
// Two caches make a send cheap, and one counter keeps both honest.
//  - The per-class cache (MethodCache in object.h, cache_find and cache_insert
//    below): an open-addressed table from selector to Method, filled on
//    lookup.
//  - The per-call-site cache (sim::lookup in objc.h): each typed send, one per
//    (return type, argument types) signature, keeps a small direct-mapped table
//    from (class, selector) to IMP. An entry is made only after the checked
//    lookup accepted that signature against the method's encoding, so a hit
//    needs no type check; a Method remembers the last signature it accepted
//    for the same reason.
//  - The epoch (sim_dispatch_epoch) is bumped by every method added or
//    replaced, every hook and every process start and end. Both caches store
//    the epoch they were filled under and treat any other as empty, so
//    nothing has to find and flush them.
//
// Single-threaded by design: the host's main thread runs everything, as the
// library's hooks run on the platform's main thread. Nothing here locks; the
// call-site caches are plain statics.
//
// Serial numbers name objects and classes in the event log and in dumps.
// They are never reset, so a name seen before a relaunch is not reused after
// it.
#include "sim/runtime/runtime.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "sim/runtime/crash.h"
#include "sim/runtime/encoding.h"

uint64_t sim_dispatch_epoch = 1;  // declared extern "C" in objc.h

namespace sim {
namespace {

// Looks names up by view, without making a string of each.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};
template <typename T>
using ByName = std::unordered_map<std::string, T, NameHash, std::equal_to<>>;

struct RuntimeState {
  ByName<Class> classes;
  std::vector<Class> order;
  objc_object* live_head = nullptr;
  size_t live_count = 0;
  std::vector<id> pool;
  std::vector<TouchRecord> touches;
  // Every method of the process, made in blocks: a method's address is
  // fixed for the process's life.
  std::vector<std::unique_ptr<Method[]>> method_blocks;
  size_t methods_in_last_block = 0;
  bool tearing_down = false;
  // Every live object and class, kept only once the emulation asks for it
  // (track_live_objects): the phone's library under emulation hands the host
  // raw values, and only these may be taken for objects. Natively nothing is
  // kept and nothing is looked up.
  std::unique_ptr<std::unordered_set<const void*>> tracked;
};

RuntimeState* g_rt = nullptr;
uint64_t& g_epoch = sim_dispatch_epoch;  // bumped by every method change; stale caches empty themselves
uint64_t g_next_serial = 1;              // never reset: names in the event log outlive a relaunch
void (*g_missing_hook_observer)(Class, SEL) = nullptr;
// Defines the process's classes that exist but were not needed yet.
struct Realizer {
  Class (*one)(std::string_view name) = nullptr;
  void (*all)() = nullptr;
} g_realizer;

ByName<objc_selector*>& selector_table() {
  static auto* table = new ByName<objc_selector*>();
  return *table;
}

// The same selectors by address, to tell a selector from any other value.
std::unordered_set<const void*>& selector_addresses() {
  static auto* set = new std::unordered_set<const void*>();
  return *set;
}

void flush_caches() { ++g_epoch; }

// --- the dispatch cache --------------------------------------------------

inline size_t slot_of(SEL sel, size_t mask) {
  auto v = reinterpret_cast<uintptr_t>(sel);
  return static_cast<size_t>((v >> 4) ^ (v >> 12)) & mask;
}

inline Method* cache_find(Class cls, SEL sel) {
  MethodCache& c = cls->cache;
  if (c.epoch != g_epoch || c.entries.empty()) return nullptr;
  size_t mask = c.entries.size() - 1;
  for (size_t i = slot_of(sel, mask);; i = (i + 1) & mask) {
    const MethodCache::Entry& e = c.entries[i];
    if (e.sel == sel) return e.method;
    if (!e.sel) return nullptr;
  }
}

void cache_insert(Class cls, SEL sel, Method* m) {
  MethodCache& c = cls->cache;
  if (c.epoch != g_epoch) {
    c.entries.assign(16, {nullptr, nullptr});
    c.used = 0;
    c.epoch = g_epoch;
  }
  if ((c.used + 1) * 4 > c.entries.size() * 3) {
    std::vector<MethodCache::Entry> old;
    old.swap(c.entries);
    c.entries.assign(old.size() * 2, {nullptr, nullptr});
    c.used = 0;
    for (auto& e : old)
      if (e.sel) cache_insert(cls, e.sel, e.method);
  }
  size_t mask = c.entries.size() - 1;
  size_t i = slot_of(sel, mask);
  while (c.entries[i].sel) i = (i + 1) & mask;
  c.entries[i] = {sel, m};
  ++c.used;
}

Method* lookup(Class cls, SEL sel) {
  if (Method* m = cache_find(cls, sel)) return m;
  Method* m = find_method(cls, sel);
  if (m) cache_insert(cls, sel, m);
  return m;
}

[[noreturn]] void unrecognized(id receiver, Class cls, SEL sel) {
  bool is_class = cls->meta;
  fatal(std::string(is_class ? "+[" : "-[") + cls->name + " " + sel_getName(sel) +
        "]: unrecognized selector sent to " + (is_class ? "class" : "instance") + (receiver ? "" : ""));
}

void verify(Method* m, Class cls, SEL sel, const sim_signature* sig) {
  if (!encodings_agree(*m->normalized, sig->types)) {
    fatal(std::string("typed send of ") + (cls->meta ? "+[" : "-[") + cls->name + " " + sel_getName(sel) +
          "] with types \"" + sig->types + "\" but the method's encoding is \"" + m->types + "\"");
  }
  m->verified = sig;
}

SideRecord& side_of(id obj) {
  if (!obj->side) obj->side = new SideRecord();
  return *obj->side;
}

void link_live(id obj) {
  obj->live_next = g_rt->live_head;
  if (g_rt->live_head) g_rt->live_head->live_prev = obj;
  g_rt->live_head = obj;
  ++g_rt->live_count;
  if (g_rt->tracked) g_rt->tracked->insert(obj);
}

void unlink_live(id obj) {
  if (obj->live_prev) obj->live_prev->live_next = obj->live_next;
  else g_rt->live_head = obj->live_next;
  if (obj->live_next) obj->live_next->live_prev = obj->live_prev;
  --g_rt->live_count;
  if (g_rt->tracked) g_rt->tracked->erase(obj);
}

// Deallocation: weak references are zeroed, associations released, the
// instance's own members destroyed (releasing what it holds), memory freed.
void dispose(id obj) {
  obj->flags |= kDeallocating;
  if (SideRecord* s = obj->side) {
    for (id* loc : s->weak_locations) *loc = nullptr;
    s->weak_locations.clear();
    auto assoc = std::move(s->associations);
    s->associations.clear();
    for (auto& a : assoc)
      if (a.retained) objc_release(a.value);
  }
  if (obj->isa->destruct) obj->isa->destruct(obj);
  delete obj->side;
  obj->side = nullptr;
  unlink_live(obj);
  std::free(obj);
}

TouchRecord& touch(Class cls) {
  const std::string& name = cls->meta ? cls->counterpart->name : cls->name;
  for (auto& t : g_rt->touches)
    if (t.class_name == name) return t;
  g_rt->touches.push_back(TouchRecord{name, {}, {}, {}});
  return g_rt->touches.back();
}

Method* new_method() {
  constexpr size_t kPerBlock = 64;
  if (g_rt->method_blocks.empty() || g_rt->methods_in_last_block == kPerBlock) {
    g_rt->method_blocks.push_back(std::make_unique<Method[]>(kPerBlock));
    g_rt->methods_in_last_block = 0;
  }
  return &g_rt->method_blocks.back()[g_rt->methods_in_last_block++];
}

// A method whose strings outlive it (see Method).
Method* add_method(Class cls, SEL sel, IMP imp, const char* types, const std::string* normalized) {
  Method* m = new_method();
  m->sel = sel;
  m->imp = imp;
  m->types = types;
  m->normalized = normalized;
  if (cls->methods.capacity() == 0) cls->methods.reserve(8);
  cls->methods.push_back(m);
  flush_caches();
  return m;
}

// A method whose encoding is given at run time: the method keeps a copy.
Method* add_method(Class cls, SEL sel, IMP imp, const char* types) {
  Method* m = add_method(cls, sel, imp, "", nullptr);
  m->kept.types = types ? types : "";
  m->kept.normalized = normalize_encoding(m->kept.types);
  m->types = m->kept.types.c_str();
  m->normalized = &m->kept.normalized;
  return m;
}

// A host method's encoding, normalized once per program: host encodings
// are strings that live as long as the program, so the address names it.
const std::string& host_encoding(const char* types) {
  static auto* normalized = new std::unordered_map<const char*, std::string>();
  auto [it, fresh] = normalized->try_emplace(types);
  if (fresh) it->second = normalize_encoding(types);
  return it->second;
}

// A host method's selector, found once per program by the name's address
// (a string that lives as long as the program, as its encoding is).
SEL host_selector(const char* name) {
  static auto* selectors = new std::unordered_map<const char*, SEL>();
  auto [it, fresh] = selectors->try_emplace(name);
  if (fresh) it->second = sel_registerName(name);
  return it->second;
}

// A host method, its encoding already normalized.
void define_normalized(Class cls, const char* sel, IMP imp, const char* types,
                       const std::string& normalized) {
  SEL s = host_selector(sel);
  if (Method* m = own_method(cls, s)) {
    m->imp = imp;
    m->types = types;
    m->normalized = &normalized;
    m->verified = nullptr;
    flush_caches();
    return;
  }
  add_method(cls, s, imp, types, &normalized);
}

}  // namespace

void fatal(const std::string& message) {
  if (crashes_are_caught()) {
    note_crash_reason(message);
    throw ProcessCrashed(message);
  }
  std::fflush(stdout);
  std::fprintf(stderr, "corvane-sim: fatal: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

// --- process lifetime -------------------------------------------------------

void runtime_start() {
  if (g_rt) fatal("a simulated process is already running");
  g_rt = new RuntimeState();
  flush_caches();
}

bool runtime_running() { return g_rt != nullptr; }

std::vector<void (*)()>& stop_hooks() {
  static auto* hooks = new std::vector<void (*)()>();
  return *hooks;
}

void on_runtime_stop(void (*reset)()) { stop_hooks().push_back(reset); }

std::vector<SharedInstance*>& shared_instances() {
  static auto* all = new std::vector<SharedInstance*>();
  return *all;
}

SharedInstance::SharedInstance() { shared_instances().push_back(this); }

void runtime_stop() {
  if (!g_rt) return;
  for (auto reset : stop_hooks()) reset();
  for (SharedInstance* s : shared_instances()) s->reset();
  // Every object goes at once, in no particular order: releases between
  // them are moot, so they are switched off while members are destroyed.
  g_rt->tearing_down = true;
  g_rt->pool.clear();
  std::vector<id> all;
  for (id o = g_rt->live_head; o; o = o->live_next) all.push_back(o);
  for (id o : all) {
    if (o->isa->destruct) o->isa->destruct(o);
    delete o->side;
  }
  for (id o : all) std::free(o);
  for (Class c : g_rt->order) {
    delete c->counterpart->side;  // a class's associations and weak places
    delete c->side;
    delete c->counterpart;
    delete c;
  }
  delete g_rt;
  g_rt = nullptr;
  flush_caches();
}

const std::vector<TouchRecord>& runtime_touches() {
  static const std::vector<TouchRecord> none;
  return g_rt ? g_rt->touches : none;
}

size_t live_object_count() { return g_rt ? g_rt->live_count : 0; }

void track_live_objects() {
  if (!g_rt || g_rt->tracked) return;
  g_rt->tracked = std::make_unique<std::unordered_set<const void*>>();
  for (id o = g_rt->live_head; o; o = o->live_next) g_rt->tracked->insert(o);
  for (Class c : g_rt->order) g_rt->tracked->insert({c, c->counterpart});
}

bool is_live_object(const void* p) { return g_rt && g_rt->tracked && g_rt->tracked->count(p); }

bool is_selector(const void* p) { return selector_addresses().count(p) != 0; }

void on_missing_hook(void (*observer)(Class cls, SEL sel)) { g_missing_hook_observer = observer; }

// --- classes and methods ----------------------------------------------------

Class define_class_raw(const std::string& name, Class superclass, size_t size, Constructor ctor,
                       Destructor dtor) {
  if (!g_rt) fatal("define_class(" + name + ") outside a simulated process");
  if (g_rt->classes.count(name)) fatal("class " + name + " defined twice");
  auto* cls = new objc_class();
  auto* meta = new objc_class();
  cls->name = meta->name = name;
  cls->flags = meta->flags = kImmortal;
  meta->meta = true;
  cls->counterpart = meta;
  meta->counterpart = cls;
  cls->superclass = superclass;
  // The root metaclass's superclass is the root class, as on the platform:
  // class methods fall back to the root's instance methods.
  meta->superclass = superclass ? superclass->counterpart : cls;
  Class root = cls;
  while (root->superclass) root = root->superclass;
  meta->isa = root->counterpart;
  cls->isa = meta;
  cls->serial = meta->serial = g_next_serial++;
  cls->instance_size = size;
  cls->construct = ctor;
  cls->destruct = dtor;
  g_rt->classes.emplace(name, cls);
  g_rt->order.push_back(cls);
  if (g_rt->tracked) g_rt->tracked->insert({cls, meta});
  return cls;
}

Class class_named(std::string_view name) {
  if (!g_rt) return nullptr;
  auto it = g_rt->classes.find(name);
  if (it != g_rt->classes.end()) return it->second;
  return g_realizer.one ? g_realizer.one(name) : nullptr;
}

std::vector<Class> all_classes() {
  if (!g_rt) return {};
  if (g_realizer.all) g_realizer.all();
  return g_rt->order;
}

void set_class_realizer(Class (*one)(std::string_view name), void (*all)()) { g_realizer = {one, all}; }

void define_method_raw(Class cls, const char* sel, IMP imp, const char* types) {
  define_normalized(cls, sel, imp, types, host_encoding(types));
}

void define_method_checked(Class cls, const char* sel, IMP imp, const char* types, const char* cxx_types) {
  static auto* agreed = new std::set<std::pair<const char*, const char*>>();
  const std::string& normalized = host_encoding(types);
  if (!agreed->count({types, cxx_types})) {
    if (!encodings_agree(normalized, cxx_types))
      fatal(std::string("host method ") + cls->name + " " + sel + " declared \"" + types +
            "\" but written with types \"" + cxx_types + "\"");
    agreed->insert({types, cxx_types});
  }
  define_normalized(cls, sel, imp, types, normalized);
}

Method* own_method(Class cls, SEL sel) {
  for (Method* m : cls->methods)
    if (m->sel == sel) return m;
  return nullptr;
}

Method* responding_method(Class cls, SEL sel) { return cls && sel ? lookup(cls, sel) : nullptr; }

Method* find_method(Class cls, SEL sel) {
  for (Class c = cls; c; c = c->superclass)
    if (Method* m = own_method(c, sel)) return m;
  return nullptr;
}

void add_ivar(Class cls, const std::string& name, size_t offset, const char* class_name,
              Ownership ownership) {
  if (ownership == Ownership::Assign) fatal("object ivar " + name + " held by assignment");
  std::string type = class_name ? std::string("@\"") + class_name + "\"" : std::string("@");
  cls->ivars.push_back(Ivar{name, offset, type, ownership});
}

void add_scalar_ivar(Class cls, const std::string& name, size_t offset, const char* encoding) {
  if (!encoding || !*encoding || encoding[0] == '@') fatal("scalar ivar " + name + " without a scalar type");
  cls->ivars.push_back(Ivar{name, offset, encoding, Ownership::Assign});
}

const Ivar* find_ivar(Class cls, std::string_view name) {
  for (Class c = cls; c; c = c->superclass)
    for (const Ivar& iv : c->ivars)
      if (iv.name == name) return &iv;
  return nullptr;
}

id alloc_instance(Class cls) {
  if (!g_rt) fatal("alloc outside a simulated process");
  if (cls->meta) fatal("alloc of a metaclass");
  size_t size = (cls->instance_size + 15) & ~size_t{15};
  void* mem = std::aligned_alloc(16, size);
  if (!mem) fatal("out of memory allocating " + cls->name);
  std::memset(mem, 0, size);
  if (cls->construct) cls->construct(mem);
  id obj = static_cast<id>(mem);
  obj->isa = cls;
  obj->refcount = 1;
  obj->serial = g_next_serial++;
  link_live(obj);
  return obj;
}

bool is_kind_of(id obj, Class cls) {
  if (!obj || !cls) return false;
  for (Class c = obj->isa; c; c = c->superclass)
    if (c == cls) return true;
  return false;
}

bool is_kind_of(id obj, std::string_view class_name) { return is_kind_of(obj, class_named(class_name)); }

std::string class_name_of(id obj) { return obj ? obj->isa->name : std::string("nil"); }

}  // namespace sim

using namespace sim;

// --- the platform's C functions ---------------------------------------------

extern "C" {

Class objc_getClass(const char* name) { return name ? class_named(name) : nullptr; }

Class object_getClass(id obj) { return obj ? obj->isa : nullptr; }

const char* class_getName(Class cls) { return cls ? cls->name.c_str() : "nil"; }

const char* object_getClassName(id obj) { return obj ? obj->isa->name.c_str() : "nil"; }

Class class_getSuperclass(Class cls) { return cls ? cls->superclass : nullptr; }

BOOL class_isMetaClass(Class cls) { return cls && cls->meta; }

BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types) {
  if (!cls || !name || !g_rt) return NO;
  if (own_method(cls, name)) return NO;  // an existing method stays unchanged
  add_method(cls, name, imp, types);     // the string is copied
  touch(cls).added.emplace_back(sel_getName(name), types ? types : "");
  return YES;
}

// A class made at run time (a preference bundle's controller): its
// instances are laid out as its superclass's, plus extraBytes that nothing
// here names. It is hidden from objc_getClass until it is registered, as on
// the platform; a name already taken yields Nil.
Class objc_allocateClassPair(Class superclass, const char* name, size_t extraBytes) {
  if (!g_rt || !name || !*name || class_named(name)) return nullptr;
  const size_t size = (superclass ? superclass->instance_size : sizeof(objc_object)) + extraBytes;
  Class cls = define_class_raw(name, superclass, size, superclass ? superclass->construct : nullptr,
                               superclass ? superclass->destruct : nullptr);
  g_rt->classes.erase(name);
  return cls;
}

void objc_registerClassPair(Class cls) {
  if (!g_rt || !cls || cls->meta) return;
  g_rt->classes.emplace(cls->name, cls);
}

::Ivar class_getInstanceVariable(Class cls, const char* name) {
  if (!cls || !name) return nullptr;
  return reinterpret_cast<::Ivar>(const_cast<sim::Ivar*>(find_ivar(cls, name)));
}

// An object ivar read or written by the runtime: a weak ivar through the
// weak-reference functions, any other as strong (what the platform's
// object_setIvarWithStrongDefault does for an ivar of unknown ownership).
// Only an object ivar of the object's own class chain is used: anything
// else (a scalar ivar, another class's record, any other pointer) reads nil
// and writes nothing.
static const sim::Ivar* object_ivar(id obj, ::Ivar ivar) {
  if (!obj || !ivar) return nullptr;
  for (Class c = obj->isa; c; c = c->superclass)
    for (const sim::Ivar& iv : c->ivars)
      if (reinterpret_cast<const void*>(&iv) == reinterpret_cast<const void*>(ivar))
        return iv.is_object() ? &iv : nullptr;
  return nullptr;
}

id object_getIvar(id obj, ::Ivar ivar) {
  const sim::Ivar* iv = object_ivar(obj, ivar);
  return iv ? iv->object_in(obj) : nullptr;
}

void object_setIvarWithStrongDefault(id obj, ::Ivar ivar, id value) {
  const sim::Ivar* iv = object_ivar(obj, ivar);
  if (!iv) return;
  char* at = reinterpret_cast<char*>(obj) + iv->offset;
  if (iv->ownership == Ownership::Weak) *reinterpret_cast<Weak*>(at) = value;
  else *reinterpret_cast<Strong*>(at) = value;
}

BOOL class_respondsToSelector(Class cls, SEL sel) { return cls && sel && lookup(cls, sel); }

IMP class_getMethodImplementation(Class cls, SEL sel) {
  Method* m = cls && sel ? lookup(cls, sel) : nullptr;
  return m ? m->imp : nullptr;
}

const char* sim_class_method_types(Class cls, SEL sel) {
  Method* m = cls && sel ? find_method(cls, sel) : nullptr;
  return m ? m->types : nullptr;
}

SEL sel_registerName(const char* name) {
  auto& table = selector_table();
  auto it = table.find(std::string_view(name));
  if (it != table.end()) return it->second;
  auto* s = new objc_selector{name};
  table.emplace(name, s);
  selector_addresses().insert(s);
  return s;
}

SEL sel_getUid(const char* name) { return sel_registerName(name); }

const char* sel_getName(SEL sel) { return sel ? sel->name.c_str() : "<null selector>"; }

void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* result) {
  if (!cls || !sel || !g_rt) return;
  // Installed, a null implementation would crash the next send of the
  // message; the simulated process crashes here instead, where it is clear.
  if (!replacement) fatal(std::string("MSHookMessageEx of ") + sel_getName(sel) + " with no replacement");
  Method* own = own_method(cls, sel);
  if (own) {
    // The slot is filled before the replacement can first run.
    if (result) *result = own->imp;
    own->imp = replacement;
    flush_caches();
  } else {
    Method* inherited = find_method(cls->superclass, sel);
    if (!inherited) {  // nothing to hook: the class is left as it was, the slot untouched
      if (g_missing_hook_observer) g_missing_hook_observer(cls, sel);
      return;
    }
    if (result) *result = inherited->imp;
    add_method(cls, sel, replacement, inherited->types, inherited->normalized);
  }
  TouchRecord& t = touch(cls);
  (cls->meta ? t.class_hooked : t.hooked).push_back(sel_getName(sel));
}

void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy) {
  if (!object || !g_rt) return;
  bool retains = policy != OBJC_ASSOCIATION_ASSIGN;
  if (retains) objc_retain(value);
  SideRecord& s = side_of(object);
  Association old{nullptr, nullptr, false};
  for (auto it = s.associations.begin(); it != s.associations.end(); ++it) {
    if (it->key != key) continue;
    old = *it;
    s.associations.erase(it);
    break;
  }
  if (value) s.associations.push_back(Association{key, value, retains});
  // The old value goes last: releasing it may free objects that hold the new.
  if (old.retained) objc_release(old.value);
}

id objc_getAssociatedObject(id object, const void* key) {
  if (!object || !object->side) return nullptr;
  for (auto& a : object->side->associations)
    if (a.key == key) return a.value;
  return nullptr;
}

id objc_retain(id obj) {
  if (obj && !(obj->flags & kImmortal) && g_rt && !g_rt->tearing_down) ++obj->refcount;
  return obj;
}

void objc_release(id obj) {
  if (!obj || (obj->flags & (kImmortal | kDeallocating)) || !g_rt || g_rt->tearing_down) return;
  if (obj->refcount == 0) fatal("over-release of a " + obj->isa->name);
  if (--obj->refcount == 0) dispose(obj);
}

id objc_autorelease(id obj) {
  if (obj && g_rt && !g_rt->tearing_down && !(obj->flags & kImmortal)) g_rt->pool.push_back(obj);
  return obj;
}

void* objc_autoreleasePoolPush(void) { return reinterpret_cast<void*>(g_rt ? g_rt->pool.size() + 1 : 1); }

void objc_autoreleasePoolPop(void* token) {
  if (!g_rt) return;
  size_t mark = reinterpret_cast<size_t>(token) - 1;
  while (g_rt && g_rt->pool.size() > mark) {
    id o = g_rt->pool.back();
    g_rt->pool.pop_back();
    objc_release(o);
  }
}

id objc_storeWeak(id* location, id obj) {
  id old = *location;
  if (old == obj) return obj;
  if (old && old->side) {
    auto& locs = old->side->weak_locations;
    for (auto it = locs.begin(); it != locs.end(); ++it)
      if (*it == location) {
        locs.erase(it);
        break;
      }
  }
  if (obj && (obj->flags & kDeallocating)) obj = nullptr;
  *location = obj;
  if (obj && !(obj->flags & kImmortal)) side_of(obj).weak_locations.push_back(location);
  return obj;
}

id objc_loadWeak(id* location) { return *location; }

// The weak reference, retained for the caller (who releases it).
id objc_loadWeakRetained(id* location) { return objc_retain(*location); }

void objc_destroyWeak(id* location) {
  if (g_rt && !g_rt->tearing_down) objc_storeWeak(location, nullptr);
  *location = nullptr;
}

IMP sim_lookup_checked(id receiver, SEL sel, const sim_signature* sig) {
  Class cls = receiver->isa;
  Method* m = lookup(cls, sel);
  if (!m) unrecognized(receiver, cls, sel);
  if (m->verified != sig) verify(m, cls, sel, sig);
  return m->imp;
}

IMP sim_lookup_super_checked(Class from, SEL sel, const sim_signature* sig, id receiver) {
  Class start = from ? from->superclass : nullptr;
  Method* m = start ? find_method(start, sel) : nullptr;
  if (!m) unrecognized(receiver, from, sel);
  if (m->verified != sig) verify(m, from, sel, sig);
  return m->imp;
}

}  // extern "C"
