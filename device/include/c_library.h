// The C library functions the library calls on a device
// (/usr/lib/libSystem.B.dylib).
#pragma once

#include <stddef.h>

extern "C" {
void* calloc(size_t count, size_t size);
void free(void* p);
}
