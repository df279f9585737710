// CoreFoundation as the library uses it on a device: strings made from C
// strings and the notification centres. Declared from the framework's public
// reference. CF types are toll-free bridged to their Foundation objects, but
// in C++ an `id` passed where a CFStringRef is taken needs an explicit cast.
#pragma once

#include <stdint.h>

typedef unsigned char Boolean;
typedef long CFIndex;
typedef uint32_t CFStringEncoding;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef const struct __CFDictionary* CFDictionaryRef;
typedef CFStringRef CFNotificationName;
typedef struct __CFNotificationCenter* CFNotificationCenterRef;

enum : CFStringEncoding { kCFStringEncodingUTF8 = 0x08000100 };

enum CFNotificationSuspensionBehavior : CFIndex {
  CFNotificationSuspensionBehaviorDrop = 1,
  CFNotificationSuspensionBehaviorCoalesce = 2,
  CFNotificationSuspensionBehaviorHold = 3,
  CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

typedef void (*CFNotificationCallback)(CFNotificationCenterRef center, void* observer,
                                       CFNotificationName name, const void* object, CFDictionaryRef userInfo);

extern "C" {
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter(void);
// Exported on iOS as on macOS; the system's style broadcast goes through it.
CFNotificationCenterRef CFNotificationCenterGetDistributedCenter(void);
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callBack, CFStringRef name, const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior);
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name,
                                          const void* object, CFDictionaryRef userInfo,
                                          Boolean deliverImmediately);
}
