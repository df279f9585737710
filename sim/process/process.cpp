#include "sim/process/process.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sim/emulation/emulated_library.h"
#include "sim/emulation/fat_file.h"
#include "sim/emulation/macho.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {
Process* g_current = nullptr;
}

std::string library_path() {
  if (const char* env = std::getenv("CORVANE_LIBRARY"); env && *env) return env;
#ifdef CORVANE_LIBRARY_PATH
  return CORVANE_LIBRARY_PATH;
#else
  return "Corvane13.so";
#endif
}

std::string pane_path() {
  if (const char* env = std::getenv("CORVANE_PANE"); env && *env) return env;
#ifdef CORVANE_PANE_DIR
  return CORVANE_PANE_DIR;
#else
  return "pane";
#endif
}

bool is_device_library(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(8, '\0');
  if (!in.read(head.data(), 8)) return false;
  return emulation::looks_like_device_library(head);
}

Process::Process(ProcessOptions options) : options_(std::move(options)) {
  if (g_current) fatal("only one simulated process runs at a time");
  g_current = this;
  set_current(this);
  boot();
}

Process::~Process() {
  shut_down();
  set_current(nullptr);
  g_current = nullptr;
}

Process* Process::current() { return g_current; }

void Process::boot() {
  // A device always has its preferences folder.
  std::error_code ec;
  std::filesystem::create_directories(host_path("/var/mobile/Library/Preferences"), ec);
  runtime_start();
  bool uikit = options_.kind != ProcessKind::Daemon;
  bool springboard = options_.kind == ProcessKind::SpringBoard;
  bool settings = options_.kind == ProcessKind::Settings;
  if (settings) install_pane();
  install_layers(uikit, springboard, settings, options_.list_library);
}

// The package's files for the pane, as dpkg would leave them: the entry in
// PreferenceLoader's folder and the bundle in the preference bundles'. The
// copy is refreshed at every boot, so the Settings app runs this build's
// pane.
void Process::install_pane() {
  namespace fs = std::filesystem;
  const fs::path from = pane_path();
  std::error_code ec;
  const fs::path entries = host_path("/Library/PreferenceLoader/Preferences");
  const fs::path bundles = host_path("/Library/PreferenceBundles");
  fs::create_directories(entries, ec);
  fs::create_directories(bundles, ec);
  if (!fs::is_directory(from, ec)) fatal("the settings pane's files are not at " + from.string());
  for (const auto& item : fs::directory_iterator(from, ec)) {
    const fs::path name = item.path().filename();
    if (item.is_directory() && item.path().extension() == ".bundle") {
      fs::remove_all(bundles / name, ec);
      fs::copy(item.path(), bundles / name, fs::copy_options::recursive, ec);
    } else if (item.is_regular_file() && item.path().extension() == ".plist") {
      fs::copy_file(item.path(), entries / name, fs::copy_options::overwrite_existing, ec);
    }
    if (ec) fatal("cannot install the settings pane: " + ec.message());
  }
  if (options_.pane.empty()) return;
  // The phone's bundle: its folder replaces the native one, or its
  // executable replaces the native module.
  const fs::path bundle = bundles / "Corvane13Prefs.bundle";
  const fs::path phone = options_.pane;
  if (fs::is_directory(phone, ec)) {
    fs::remove_all(bundle, ec);
    fs::copy(phone, bundle, fs::copy_options::recursive, ec);
  } else {
    fs::copy_file(phone, bundle / "Corvane13Prefs", fs::copy_options::overwrite_existing, ec);
  }
  if (ec) fatal("cannot install the phone's settings pane from " + phone.string() + ": " + ec.message());
}

void Process::shut_down() {
  if (emulated_) {
    // The host holds the library's functions until its objects are gone.
    runtime_stop();
    instructions_before_ += emulated_->instructions();
    emulated_.reset();
  } else if (library_) {
    // Objects hold implementations of the library, so the library goes
    // after them.
    runtime_stop();
    dlclose(library_);
    library_ = nullptr;
    // A module that stayed resident would keep its state into the next
    // process, which a real process never sees.
    const std::string path = options_.library.empty() ? library_path() : options_.library;
    if (void* still = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
      dlclose(still);
      fatal("the library stayed loaded after its process ended");
    }
  } else {
    runtime_stop();
  }
  // Bundles' code goes after every object that holds its implementations.
  for (auto it = executables_.rbegin(); it != executables_.rend(); ++it) dlclose(*it);
  executables_.clear();
  emulated_executables_.clear();
}

bool Process::load_executable(const std::string& host_path, std::string* error) {
  if (is_device_library(host_path)) {
    auto loaded = emulation::EmulatedLibrary::load(host_path, *error);
    if (!loaded) return false;
    emulated_executables_.push_back(std::move(loaded));
    return true;
  }
  void* handle = dlopen(host_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    *error = dlerror();
    return false;
  }
  executables_.push_back(handle);
  return true;
}

void Process::load_library() {
  if (library_loaded()) fatal("the library is already loaded in this process");
  if (!options_.library.empty() && is_device_library(options_.library)) {
    std::string error;
    emulated_ = emulation::EmulatedLibrary::load(options_.library, error, options_.library_arch,
                                                 options_.count_instructions);
    if (!emulated_) fatal("cannot load the library: " + error);
    return;
  }
  const std::string path = options_.library.empty() ? library_path() : options_.library;
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) fatal(std::string("cannot load the library: ") + dlerror());
}

uint64_t Process::guest_instructions() const {
  return instructions_before_ + (emulated_ ? emulated_->instructions() : 0);
}

void* Process::library_symbol(const char* name) const {
  if (emulated_) return emulated_->symbol(name);
  return library_ ? dlsym(library_, name) : nullptr;
}

void Process::relaunch() {
  bool was_loaded = library_loaded();
  shut_down();
  relaunch_requested_ = false;
  boot();
  if (was_loaded) load_library();
}

std::string Process::host_path(const std::string& device_path) const {
  if (device_path.empty()) return options_.root;
  if (device_path[0] == '/') return options_.root + device_path;
  return options_.root + "/" + device_path;
}

}  // namespace sim
