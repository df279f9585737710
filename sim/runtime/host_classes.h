// The host's classes. Each host class file registers an installer for its
// class; a process has the classes of the layers that exist in it
// (Foundation everywhere, UIKit in applications and the home screen, the
// home screen's own classes only there, the Preferences framework's only in
// the Settings app). As the platform's runtime realizes a class only when it
// is first used, a class is installed the first time anything names it
// (objc_getClass, NSClassFromString, a subclass's installer) or lists the
// classes: a process pays for the classes it uses, and no one can tell a
// class not yet installed from one that is.
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

// Makes the registered classes of the given layers the process's own,
// installed when first named.
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
