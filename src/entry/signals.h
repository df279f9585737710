// The restart signal's handler and its registration on the Darwin centre.
#pragma once

#include "platform/platform.h"

namespace corvane {

// Registers the restart handler for "com.tallowbirch.corvane13/respring".
void register_restart_observer();

// Asks FBSystemService to exit and relaunch the home screen; does nothing in
// a process without that class.
void restart_handler(CFNotificationCenterRef center, void* observer, CFNotificationName name,
                     const void* object, CFDictionaryRef userInfo);

// Registers `observer` on the default local centre for `name`, any sender.
void observe_local(id observer, SEL selector, const char* name);

// Posts `name` on the default local centre with `object`.
void post_local(const char* name, id object);

}  // namespace corvane
