// The host's classes are defined when a simulated process boots. Each host
// class file registers an installer for its class; the process runs the
// installers of the layers that exist in it (Foundation everywhere, UIKit in
// applications and the home screen, the home screen's own classes only there,
// the Preferences framework's only in the Settings app).
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// ListLibrary: the per-application list library's classes, in UIKit
// processes of a device where that library is installed.
enum class Layer { Foundation, UIKit, SpringBoard, Preferences, ListLibrary };

using Installer = Class (*)();

void register_installer(const char* class_name, Layer layer, Installer install);

// The class of that name, installing it (and so its superclasses) first if
// the process has not yet. Used by installers for their superclass.
Class ensure_class(const char* class_name);

// Installs every registered class of the given layers.
void install_layers(bool uikit, bool springboard, bool preferences = false, bool list_library = true);

struct InstallerRegistration {
  InstallerRegistration(const char* class_name, Layer layer, Installer install) {
    register_installer(class_name, layer, install);
  }
};

}  // namespace sim

#define SIM_CONCAT2(a, b) a##b
#define SIM_CONCAT(a, b) SIM_CONCAT2(a, b)
// Registers `fn` as the installer of host class `name`.
#define SIM_HOST_CLASS(name, layer, fn) \
  static ::sim::InstallerRegistration SIM_CONCAT(sim_installer_, __LINE__)(name, layer, fn)
