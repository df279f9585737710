// CoreFoundation strings, as far as a library makes them from C strings.
// Strings are toll-free bridged: a CFStringRef is an NSString object.
#pragma once

#include <stdint.h>

#include "sim/foundation/CFNotificationCenter.h"

typedef uint32_t CFStringEncoding;
typedef const struct __CFAllocator* CFAllocatorRef;
enum : CFStringEncoding { kCFStringEncodingUTF8 = 0x08000100 };

extern "C" {
// A new string (the caller owns it) holding the UTF-8 text; NULL for a NULL
// text, another encoding or bytes that are not UTF-8.
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
}
