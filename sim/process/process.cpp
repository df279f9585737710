#include "sim/process/process.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

#include "sim/process/host_classes.h"

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

Process::Process(ProcessOptions options) : options_(std::move(options)) {
  if (g_current) fatal("only one simulated process runs at a time");
  g_current = this;
  boot();
}

Process::~Process() {
  shut_down();
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
  install_layers(uikit, springboard);
}

void Process::shut_down() {
  if (library_) {
    // Objects hold implementations of the library, so the library goes
    // after them.
    runtime_stop();
    dlclose(library_);
    library_ = nullptr;
    // A module that stayed resident would keep its state into the next
    // process, which a real process never sees.
    if (void* still = dlopen(library_path().c_str(), RTLD_NOW | RTLD_NOLOAD)) {
      dlclose(still);
      fatal("the library stayed loaded after its process ended");
    }
  } else {
    runtime_stop();
  }
}

void Process::load_library() {
  if (library_) fatal("the library is already loaded in this process");
  std::string path = library_path();
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) fatal(std::string("cannot load the library: ") + dlerror());
}

void* Process::library_symbol(const char* name) const {
  return library_ ? dlsym(library_, name) : nullptr;
}

void Process::relaunch() {
  bool was_loaded = library_ != nullptr;
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

extern "C" BOOL sim_os_at_least(int major, int minor, int patch) {
  sim::Process* p = sim::Process::current();
  if (!p) return NO;
  const sim::OSVersion& v = p->options().ios;
  if (v.major != major) return v.major > major;
  if (v.minor != minor) return v.minor > minor;
  return v.patch >= patch;
}
