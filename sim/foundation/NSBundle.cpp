// NSBundle: bundleWithPath:, bundleForClass:, bundlePath, infoDictionary,
// objectForInfoDictionaryKey:, load, isLoaded, principalClass and
// pathForResource:ofType:. load asks the system to load the executable
// named by CFBundleExecutable; the classes that came into being during the
// load are the bundle's, so bundleForClass: finds it for them (other
// classes belong to the main bundle, which the host does not model: nil).
// principalClass is NSPrincipalClass, looked up after a load. A load that
// fails leaves the bundle unloaded; the reason goes to standard error, as
// the platform logs it.
#include "sim/foundation/NSBundle.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <vector>

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"

namespace sim {
namespace {

std::map<std::string, Strong>* g_bundles = nullptr;                // by device path
std::vector<std::pair<Class, Strong>>* g_class_bundles = nullptr;  // classes a load brought
RuntimeStopHook g_reset([] {
  delete g_bundles;
  g_bundles = nullptr;
  delete g_class_bundles;
  g_class_bundles = nullptr;
});

NSBundleObj* bundle(id self) { return as<NSBundleObj>(self); }

id with_path(id, SEL, id path) { return bundle_at_path(string_value(path)); }

id for_class(id, SEL, Class cls) {
  if (!g_class_bundles) return nullptr;
  for (auto& [c, b] : *g_class_bundles)
    if (c == cls) return b;
  return nullptr;
}

id bundle_path(id self, SEL) { return make_string(bundle(self)->path); }
id info_dictionary(id self, SEL) { return bundle(self)->info; }
id info_value(id self, SEL, id key) { return dictionary_get(bundle(self)->info, string_value(key)); }
BOOL is_loaded(id self, SEL) { return bundle(self)->loaded; }

BOOL load(id self, SEL) {
  NSBundleObj* b = bundle(self);
  if (b->loaded) return YES;
  id executable = dictionary_get(b->info, "CFBundleExecutable");
  System* system = System::current();
  if (!is_string(executable) || !system) return NO;
  const std::string name = string_value(executable);
  if (name.empty() || name.find('/') != std::string::npos) return NO;
  const size_t before = all_classes().size();
  std::string error;
  if (!system->load_executable(system->host_path(b->path + "/" + name), &error)) {
    std::cerr << "NSBundle " << b->path << ": cannot load the executable: " << error << "\n";
    return NO;
  }
  b->loaded = true;
  const std::vector<Class> classes = all_classes();
  if (!g_class_bundles) g_class_bundles = new std::vector<std::pair<Class, Strong>>();
  for (size_t i = before; i < classes.size(); ++i) g_class_bundles->emplace_back(classes[i], self);
  return YES;
}

Class principal_class(id self, SEL) {
  if (!bundle(self)->loaded) return nullptr;
  id name = dictionary_get(bundle(self)->info, "NSPrincipalClass");
  return is_string(name) ? class_named(string_value(name)) : nullptr;
}

id path_for_resource(id self, SEL, id name, id type) {
  std::string file = string_value(name);
  if (is_string(type) && !string_value(type).empty()) file += "." + string_value(type);
  if (file.empty() || file.find('/') != std::string::npos) return nullptr;
  const std::string path = bundle(self)->path + "/" + file;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(host_path_of(path), ec)) return nullptr;
  return make_string(path);
}

Class install() {
  Class c = define_class<NSBundleObj>("NSBundle", ensure_class("NSObject"));
  def_class(c, "bundleWithPath:", with_path);
  def_class(c, "bundleForClass:", for_class);
  def(c, "bundlePath", bundle_path);
  def(c, "infoDictionary", info_dictionary);
  def(c, "objectForInfoDictionaryKey:", info_value);
  def(c, "load", load);
  def(c, "isLoaded", is_loaded);
  def(c, "principalClass", principal_class);
  def(c, "pathForResource:ofType:", path_for_resource);
  return c;
}

SIM_HOST_CLASS("NSBundle", Layer::Foundation, install);

}  // namespace

id bundle_at_path(const std::string& device_path) {
  if (device_path.empty() || device_path[0] != '/') return nullptr;
  std::string path = device_path;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (!g_bundles) g_bundles = new std::map<std::string, Strong>();
  if (auto it = g_bundles->find(path); it != g_bundles->end()) return it->second;
  std::error_code ec;
  if (sandbox_denies(path) || !std::filesystem::is_directory(host_path_of(path), ec)) return nullptr;
  id b = alloc_instance(class_named("NSBundle"));
  bundle(b)->path = path;
  id info = dictionary_from_file(path + "/Info.plist");
  bundle(b)->info = info ? info : make_dictionary(false);
  (*g_bundles)[path] = b;
  objc_release(b);
  return b;
}

}  // namespace sim
