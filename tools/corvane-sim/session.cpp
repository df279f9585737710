#include "tools/corvane-sim/session.h"

#include <stdlib.h>

#include <deque>
#include <filesystem>

#include "sim/foundation/foundation.h"
#include "sim/runtime/object.h"
#include "sim/system/event_log.h"

namespace corvane::cli {

Session::Session(std::optional<std::string> root, std::string library, std::string pane, std::string arch,
                 bool count_instructions) {
  if (root && !root->empty()) {
    root_ = std::filesystem::absolute(*root).string();
    std::filesystem::create_directories(root_);
  } else {
    std::string tmpl = (std::filesystem::temp_directory_path() / "corvane-sim-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) sim::fatal("cannot create a temporary folder for the simulated root");
    root_ = tmpl;
    own_root_ = true;
  }
  options_.root = root_;
  options_.library = std::move(library);
  options_.pane = std::move(pane);
  options_.library_arch = std::move(arch);
  options_.count_instructions = count_instructions;
  sim::clear_events();  // a session's log starts empty, whatever ran before it in this program
  boot();
}

Session::~Session() {
  bindings_.clear();
  keepers_.clear();
  process_.reset();
  if (own_root_) {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
}

void Session::boot() { process_ = std::make_unique<sim::Process>(options_); }

sim::Process& Session::process() {
  if (!process_) boot();
  return *process_;
}

std::optional<std::string> Session::reconfigure(const sim::ProcessOptions& options) {
  if (process_ && process_->library_loaded()) return "must come before load";
  if (!bindings_.empty()) return "must come before any object is made";
  options_ = options;
  options_.root = root_;
  if (process_) {
    process_.reset();
    boot();
  }
  return std::nullopt;
}

void Session::relaunch() {
  bindings_.clear();
  keepers_.clear();
  names_valid_ = false;
  process().relaunch();
}

void Session::switch_to(const sim::ProcessOptions& options) {
  bindings_.clear();
  keepers_.clear();
  names_valid_ = false;
  process_.reset();
  options_ = options;
  options_.root = root_;
  boot();
  process_->load_library();
}

void Session::end() {
  bindings_.clear();
  keepers_.clear();
  names_.clear();
  numbers_.clear();
  names_valid_ = false;
  process_.reset();
}

void Session::reset() {
  end();
  sim::clear_events();
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(root_, ec))
    std::filesystem::remove_all(entry.path(), ec);
  const std::string library = options_.library, arch = options_.library_arch;
  const std::string pane = options_.pane;
  const bool count = options_.count_instructions;
  options_ = sim::ProcessOptions{};
  options_.root = root_;
  options_.library = library;
  options_.library_arch = arch;
  options_.count_instructions = count;
  options_.pane = pane;
}

bool Session::relaunch_if_requested() {
  if (!process_ || !process_->take_relaunch_request()) return false;
  relaunch();
  return true;
}

void Session::bind(const std::string& name, id object, id keeper) {
  bindings_[name] = object;
  if (keeper) keepers_[name] = keeper;
  else keepers_.erase(name);
  names_valid_ = false;
}

void Session::unbind(const std::string& name) {
  bindings_.erase(name);
  keepers_.erase(name);
  names_valid_ = false;
}

bool Session::is_bound(const std::string& name) const { return bindings_.count(name) > 0; }

id Session::lookup(const std::string& name) const {
  if (auto it = bindings_.find(name); it != bindings_.end()) return it->second;
  if (name == "arbiter") {
    Class c = sim::class_named("UIUserInterfaceStyleArbiter");
    return c ? sim::send<id>(reinterpret_cast<id>(c), sim::sel("sharedInstance")) : nullptr;
  }
  if (name == "springboard") {
    Class c = sim::class_named("SpringBoard");
    return c ? sim::send<id>(reinterpret_cast<id>(c), sim::sel("sharedApplication")) : nullptr;
  }
  return nullptr;
}

id private_part(id object, const std::string& part) {
  if (!object) return nullptr;
  for (const std::string& name : {"_" + part, part}) {
    if (const sim::Ivar* iv = sim::find_ivar(object->isa, name); iv && iv->is_object())
      return iv->object_in(object);
  }
  return nullptr;
}

id Session::resolve(const std::vector<std::string>& path, size_t* consumed) const {
  *consumed = 0;
  if (path.empty()) return nullptr;
  id at = lookup(path[0]);
  if (!at) return nullptr;
  *consumed = 1;
  for (size_t i = 1; i < path.size(); ++i) {
    id next = private_part(at, path[i]);
    if (!next) break;
    at = next;
    *consumed = i + 1;
  }
  return at;
}

void Session::rebuild_names() const {
  names_.clear();
  std::deque<std::pair<id, std::string>> queue;
  for (const auto& [name, obj] : bindings_)
    if (obj) queue.emplace_back(obj, name);
  for (const char* predefined : {"arbiter", "springboard"})
    if (id o = lookup(predefined)) queue.emplace_back(o, predefined);
  while (!queue.empty()) {
    auto [obj, name] = queue.front();
    queue.pop_front();
    if (names_.count(obj->serial)) continue;
    names_[obj->serial] = name;
    for (Class c = obj->isa; c; c = c->superclass) {
      for (const sim::Ivar& iv : c->ivars) {
        if (!iv.is_object() || iv.name == "_layer") continue;
        id part = iv.object_in(obj);
        if (!part || names_.count(part->serial)) continue;
        std::string short_name = iv.name[0] == '_' ? iv.name.substr(1) : iv.name;
        queue.emplace_back(part, name + "." + short_name);
      }
    }
  }
  names_valid_ = true;
}

std::string Session::name_of(id object) const {
  if (!object) return "nil";
  if (!names_valid_) rebuild_names();
  if (auto it = names_.find(object->serial); it != names_.end()) return it->second;
  return object->isa->name + "#" + std::to_string(number_for(object->serial));
}

uint64_t Session::number_for(uint64_t serial) const {
  auto [it, added] = numbers_.try_emplace(serial, numbers_.size() + 1);
  return it->second;
}

}  // namespace corvane::cli

namespace corvane::cli {

std::optional<std::string> Session::name_for_serial(uint64_t serial) const {
  if (!names_valid_) rebuild_names();
  if (auto it = names_.find(serial); it != names_.end()) return it->second;
  return std::nullopt;
}

}  // namespace corvane::cli
