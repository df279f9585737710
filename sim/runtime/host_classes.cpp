#include "sim/runtime/host_classes.h"

#include <map>
#include <string>

namespace sim {
namespace {

struct Entry {
  Layer layer;
  Installer install;
};

std::map<std::string, Entry, std::less<>>& registry() {
  static auto* r = new std::map<std::string, Entry, std::less<>>();
  return *r;
}

bool g_uikit = false;
bool g_springboard = false;
bool g_preferences = false;
bool g_list_library = true;

bool layer_present(Layer l) {
  switch (l) {
    case Layer::Foundation: return true;
    case Layer::UIKit: return g_uikit;
    case Layer::SpringBoard: return g_springboard;
    case Layer::Preferences: return g_preferences;
    case Layer::ListLibrary: return g_uikit && g_list_library;
  }
  return false;
}

// The runtime asks for a class it has not defined yet: installed if this
// process has it.
Class realize_one(std::string_view name) {
  auto it = registry().find(name);
  if (it == registry().end() || !layer_present(it->second.layer)) return nullptr;
  return it->second.install();
}

void realize_all() {
  for (auto& [name, e] : registry())
    if (layer_present(e.layer)) ensure_class(name.c_str());
}

}  // namespace

void register_installer(const char* class_name, Layer layer, Installer install) {
  registry()[class_name] = Entry{layer, install};
}

Class ensure_class(const char* class_name) {
  if (Class c = class_named(class_name)) return c;
  auto it = registry().find(class_name);
  if (it == registry().end()) fatal(std::string("no host class named ") + class_name);
  if (!layer_present(it->second.layer))
    fatal(std::string("host class ") + class_name + " does not exist in this process");
  return it->second.install();
}

void install_layers(bool uikit, bool springboard, bool preferences, bool list_library) {
  g_list_library = list_library;
  g_uikit = uikit;
  g_springboard = springboard;
  g_preferences = preferences;
  set_class_realizer(realize_one, realize_all);
}

}  // namespace sim
