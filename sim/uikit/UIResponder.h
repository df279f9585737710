// UIResponder: the root of UIKit's responder chain, the superclass of
// UIView and UIApplication. The host has no events to route, so the class
// carries no methods of its own; it is there so that views and the
// application answer isKindOfClass: and class dumps as on a device.
#pragma once

#include "sim/runtime/runtime.h"
