// A simulated process: its file-system root, its kind (home screen,
// application, daemon), the system version, the host classes that exist in
// it, and the load of the library, exactly once per process life. It is the
// system its host classes ask (sim/system/system.h); nothing below it
// includes it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/runtime/runtime.h"
#include "sim/system/system.h"

namespace sim {

namespace emulation {
class EmulatedLibrary;
}

// The Settings app is a UIKit application with the Preferences framework and
// PreferenceLoader; the project's pane is installed in its file system.
enum class ProcessKind { SpringBoard, App, Daemon, Settings };

struct ProcessOptions {
  OSVersion ios;
  ProcessKind kind = ProcessKind::SpringBoard;
  std::string bundle_id = "com.apple.springboard";
  std::string root;  // the simulated file system's root folder (must exist)
  // The library to load: the native module (empty: the one this build made)
  // or the phone's dylib, which then runs under emulation: of a fat file the
  // slice `library_arch` names ("" for arm64e, "arm64" for the A9-A11 one).
  std::string library;
  std::string library_arch;
  // The phone's dylib counts the guest instructions it runs.
  bool count_instructions = false;
  // An App Store app under the stock sandbox (apps only): its reads under
  // /var/mobile/Library/Preferences/ fail.
  bool sandboxed = false;
  // The settings pane installed in the Settings app's file system when it
  // boots: empty for the native pane this build made; else the phone's
  // bundle (its folder, or its Mach-O executable in place of the native
  // one), which then loads under emulation.
  std::string pane;
  // Whether the per-application list library is installed (its classes
  // then exist in every UIKit process).
  bool list_library = true;
};

class Process final : public System {
 public:
  explicit Process(ProcessOptions options);  // boots: the host's classes exist afterwards
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  static Process* current();

  const ProcessOptions& options() const { return options_; }
  void set_ios(OSVersion v) { options_.ios = v; }
  OSVersion ios() const override { return options_.ios; }

  // The injection framework's load: the library's load-time entry runs.
  void load_library();
  bool library_loaded() const { return library_ != nullptr || emulated_ != nullptr; }
  // Whether the loaded library is the phone's dylib under emulation.
  bool library_emulated() const { return emulated_ != nullptr; }
  void* library_symbol(const char* name) const;
  // Guest instructions the phone's dylib has run in this process, across
  // relaunches (with ProcessOptions::count_instructions; else 0).
  uint64_t guest_instructions() const;

  // The process ends and starts anew: every object goes, the files stay,
  // and the library loads again if it was loaded.
  void relaunch();
  // The host was asked to exit and relaunch; the caller carries it out once
  // its current step has ended.
  void request_relaunch() override { relaunch_requested_ = true; }
  bool take_relaunch_request() {
    bool r = relaunch_requested_;
    relaunch_requested_ = false;
    return r;
  }

  // The system's interface style setting (1 light, 2 dark, 0 unspecified):
  // the system's, not the process's, so it outlives a relaunch.
  NSInteger system_style() const override { return system_style_; }
  bool sandboxed() const override { return options_.sandboxed && options_.kind == ProcessKind::App; }
  void set_system_style(NSInteger style) override { system_style_ = style; }

  // Device paths ("/var/mobile/...") mapped below the root.
  std::string host_path(const std::string& device_path) const override;
  // A bundle's executable: a native module (dlopen) of this build's kind.
  bool load_executable(const std::string& host_path, std::string* error) override;

 private:
  void boot();
  void shut_down();
  void install_pane();

  ProcessOptions options_;
  void* library_ = nullptr;
  std::unique_ptr<emulation::EmulatedLibrary> emulated_;
  // Loaded bundles' code: native modules and phone executables under
  // emulation, let go after the objects that hold their functions.
  std::vector<void*> executables_;
  std::vector<std::unique_ptr<emulation::EmulatedLibrary>> emulated_executables_;
  uint64_t instructions_before_ = 0;  // of libraries this process unloaded
  bool relaunch_requested_ = false;
  NSInteger system_style_ = 1;
};

// The library this build made (overridable with CORVANE_LIBRARY).
std::string library_path();
// The folder holding the pane's installed files that this build made
// (overridable with CORVANE_PANE).
std::string pane_path();
// Whether the file at `path` is an arm64 Mach-O file (else it is taken for a
// native module).
bool is_device_library(const std::string& path);

}  // namespace sim
