// The local notification centre as the library uses it: observing a signal,
// posting one, and subscribing a host object once for its lifetime.
#pragma once

#include "platform/platform.h"

namespace corvane {

// Registers `observer` on the default local centre for `name`, any sender.
void observe_local(id observer, SEL selector, const char* name);

// Posts `name` on the default local centre with `object`.
void post_local(const char* name, id object);

// Registers `observer` for `name` unless it already carries
// hasChangeListener, marking it first, so that an object laid out many
// times is still delivered each signal once. Answers whether it registered
// now, for callers that start more with the first subscription.
bool subscribe_once(id observer, SEL selector, const char* name);

}  // namespace corvane
