// The Objective-C runtime's C interface as the library calls it on a device
// (/usr/lib/libobjc.A.dylib), declared from the runtime's public reference.
// Only what the library uses is here; every name, type and argument order
// is the platform's own.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef struct objc_class* Class;
typedef struct objc_object* id;
typedef struct objc_selector* SEL;
typedef void (*IMP)(void);
typedef struct objc_ivar* Ivar;

// On arm64 the runtime's BOOL is the C++ bool and NSInteger is long.
typedef bool BOOL;
typedef long NSInteger;
typedef unsigned long NSUInteger;
#define YES true
#define NO false

enum objc_AssociationPolicy : uintptr_t {
  OBJC_ASSOCIATION_ASSIGN = 0,
  OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1,
  OBJC_ASSOCIATION_COPY_NONATOMIC = 3,
  OBJC_ASSOCIATION_RETAIN = 01401,
  OBJC_ASSOCIATION_COPY = 01403,
};

extern "C" {
Class objc_getClass(const char* name);
Class object_getClass(id obj);
BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types);
Class objc_allocateClassPair(Class superclass, const char* name, size_t extraBytes);
void objc_registerClassPair(Class cls);
Ivar class_getInstanceVariable(Class cls, const char* name);
id object_getIvar(id obj, Ivar ivar);
void object_setIvarWithStrongDefault(id obj, Ivar ivar, id value);
SEL sel_registerName(const char* name);
void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy);
id objc_getAssociatedObject(id object, const void* key);

// The dispatcher: never called as declared, always cast to the method's
// own function type first (arm64 has no separate structure-return variant).
void objc_msgSend(void);

id objc_storeWeak(id* location, id obj);
id objc_loadWeakRetained(id* location);
void objc_destroyWeak(id* location);
void objc_release(id obj);
}
