// The restart signal: a settings pane posts it on the Darwin centre to have
// the home screen relaunched. Registered by the load-time entry.
#pragma once

#include "platform/platform.h"

namespace corvane {

// Registers the restart handler for "com.tallowbirch.corvane13/respring".
void register_restart_observer();

// Asks FBSystemService to exit and relaunch the home screen; does nothing in
// a process without that class.
void restart_handler(CFNotificationCenterRef center, void* observer, CFNotificationName name,
                     const void* object, CFDictionaryRef userInfo);

}  // namespace corvane
