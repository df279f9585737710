#include "entry/signals.h"

#include "entry/names.h"
#include "entry/state.h"

namespace corvane {

bool darkModeActive = false;

namespace {
Class g_system_service = nullptr;  // looked up on first use
}  // namespace

void register_restart_observer() {
  CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr,
                                  restart_handler, cf_str(names::kRestartSignal), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
}

void restart_handler(CFNotificationCenterRef, void*, CFNotificationName, const void*,
                     CFDictionaryRef) {
  if (!g_system_service) g_system_service = cls("FBSystemService");
  id service = msg<id>(g_system_service, CV_SEL("sharedInstance"));
  msg<void>(service, CV_SEL("exitAndRelaunch:"), (BOOL) true);
}

void observe_local(id observer, SEL selector, const char* name) {
  id centre = msg<id>(cls("NSNotificationCenter"), CV_SEL("defaultCenter"));
  msg<void>(centre, CV_SEL("addObserver:selector:name:object:"), observer, selector, str(name),
            (id) nullptr);
}

void post_local(const char* name, id object) {
  id centre = msg<id>(cls("NSNotificationCenter"), CV_SEL("defaultCenter"));
  msg<void>(centre, CV_SEL("postNotificationName:object:"), str(name), object);
}

}  // namespace corvane

bool corvane13_dark_mode_active(void) { return corvane::darkModeActive; }
