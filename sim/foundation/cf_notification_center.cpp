// CoreFoundation notification centres: placeholder that keeps observers.
#include <vector>

#include "sim/foundation/CFNotificationCenter.h"
#include "sim/foundation/foundation.h"

struct __CFNotificationCenter {
  int kind;
};

namespace {
__CFNotificationCenter g_darwin{0};
__CFNotificationCenter g_distributed{1};
__CFNotificationCenter g_local{2};
}  // namespace

extern "C" {
CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter(void) { return &g_darwin; }
CFNotificationCenterRef CFNotificationCenterGetDistributedCenter(void) { return &g_distributed; }
CFNotificationCenterRef CFNotificationCenterGetLocalCenter(void) { return &g_local; }
void CFNotificationCenterAddObserver(CFNotificationCenterRef, const void*, CFNotificationCallback,
                                     CFStringRef, const void*, CFNotificationSuspensionBehavior) {}
void CFNotificationCenterPostNotification(CFNotificationCenterRef, CFNotificationName, const void*,
                                          CFDictionaryRef, Boolean) {}
}
