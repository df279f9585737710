// The system beneath the host's classes, as they may ask it: where the
// device's files lie, which version of the system runs, the system's
// interface style setting, and a request that the process exit and
// relaunch. The simulated process, the floor above every host class, is
// that system: it installs itself here while it runs, so that Foundation,
// UIKit and the home screen ask this floor and never include the process.
#pragma once

#include <string>

#include "sim/runtime/objc.h"

namespace sim {

struct OSVersion {
  int major = 13;
  int minor = 7;
  int patch = 0;
};

class System {
 public:
  // The running system; nullptr when no simulated process runs.
  static System* current();

  virtual OSVersion ios() const = 0;
  // Device paths ("/var/mobile/...") mapped below the file-system root.
  virtual std::string host_path(const std::string& device_path) const = 0;
  // The system's interface style setting (1 light, 2 dark, 0 unspecified).
  virtual NSInteger system_style() const = 0;
  virtual void set_system_style(NSInteger style) = 0;
  // The host was asked to exit and relaunch.
  virtual void request_relaunch() = 0;
  // An App Store app under the stock iOS sandbox.
  virtual bool sandboxed() const = 0;
  // The loader loads a bundle's executable (a host path) into the process:
  // its load-time initialisers run before this returns. False, with the
  // reason in `error`, when it cannot be loaded. It stays loaded for the
  // life of the process.
  virtual bool load_executable(const std::string& host_path, std::string* error) = 0;

 protected:
  System() = default;
  ~System() = default;
  // The process makes itself the running system, and clears it as it ends.
  static void set_current(System* system);
};

// A device path as the host's files are found: mapped below the running
// system's root, or unchanged when no simulated process runs.
std::string host_path_of(const std::string& device_path);

// Whether the running process's sandbox denies it the file at a device
// path. The stock sandbox of an App Store app denies reading, writing and
// looking up anything under /var/mobile/Library/Preferences/ (the host
// denies even the lookup, so the file reads as missing); the home screen,
// the Settings app and jailbroken exceptions are not modelled as sandboxed.
bool sandbox_denies(const std::string& device_path);

}  // namespace sim

extern "C" {
// Whether the running system is at least this version.
BOOL sim_os_at_least(int major, int minor, int patch);
}
