// The handler looks FBSystemService up on its first signal rather than at
// load: the class exists only in the home-screen process, and the lookup is
// then paid only by a process that is asked to restart.
#include "entry/restart.h"

#include "core/names.h"

namespace corvane {
namespace {
Class g_system_service = nullptr;  // looked up on first use
}  // namespace

void register_restart_observer() {
  CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, restart_handler,
                                  cf_str(names::kRestartSignal), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
}

void restart_handler(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {
  if (!g_system_service) g_system_service = cls("FBSystemService");
  id service = msg<id>(g_system_service, CV_SEL("sharedInstance"));
  msg<void>(service, CV_SEL("exitAndRelaunch:"), (BOOL) true);
}

}  // namespace corvane
