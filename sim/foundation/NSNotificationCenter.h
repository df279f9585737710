// NSNotificationCenter and NSNotification as the simulated host keeps them,
// and the call the host makes when it sends an observer's or a timer's
// selector.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// Sends `selector` to `target` the way Foundation calls out to an observer
// or a timer's target: by the method's type encoding, with no argument
// ("v@:") or with `argument` ("v@:@"; an object result is ignored). A target
// that does not answer the selector aborts as an unrecognized selector
// would; any other encoding aborts with a message naming `what`.
void send_callout(id target, SEL selector, id argument, const char* what);

// A new NSNotification (autoreleased).
id make_notification(id name, id object, id user_info);

}  // namespace sim
