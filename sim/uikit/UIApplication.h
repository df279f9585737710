// UIApplication : UIResponder: the process's application object, answered
// by +sharedApplication. On a device UIApplicationMain makes it once, of the
// process's principal class; here the first +sharedApplication does, of the
// class a layer above registered (SpringBoard in the home-screen process),
// else of UIApplication itself.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// The maker of the process's application object (returning it retained).
// Registered by the principal class's installer; cleared when the process
// ends.
void set_application_maker(id (*make)());

}  // namespace sim
