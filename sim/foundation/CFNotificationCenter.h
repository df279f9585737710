// CoreFoundation's notification centres with the platform's names, types
// and argument order. Freestanding: the library includes it through its
// platform seam.
#pragma once

#include "sim/runtime/objc.h"

typedef unsigned char Boolean;
typedef struct objc_object* CFStringRef;      // toll-free: a string object
typedef struct objc_object* CFDictionaryRef;  // toll-free: a dictionary object
typedef CFStringRef CFNotificationName;
typedef struct __CFNotificationCenter* CFNotificationCenterRef;
typedef long CFIndex;

enum CFNotificationSuspensionBehavior : CFIndex {
  CFNotificationSuspensionBehaviorDrop = 1,
  CFNotificationSuspensionBehaviorCoalesce = 2,
  CFNotificationSuspensionBehaviorHold = 3,
  CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

typedef void (*CFNotificationCallback)(CFNotificationCenterRef center, void* observer,
                                       CFNotificationName name, const void* object, CFDictionaryRef userInfo);

extern "C" {
CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter(void);
CFNotificationCenterRef CFNotificationCenterGetDistributedCenter(void);
CFNotificationCenterRef CFNotificationCenterGetLocalCenter(void);
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callBack, CFStringRef name, const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior);
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name,
                                          const void* object, CFDictionaryRef userInfo,
                                          Boolean deliverImmediately);

// Simulator only: a Darwin notification arrives from outside the process.
void sim_darwin_post_from_outside(const char* name);
// Whether a raw value is one of the host's notification centres.
bool sim_is_notification_center(const void* p);
}
