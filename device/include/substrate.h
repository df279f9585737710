// The injection framework's method hook, exported by
// /Library/Frameworks/CydiaSubstrate.framework/CydiaSubstrate: replaces the
// implementation of `message` on `_class` with `hook` and stores the
// implementation it replaced (or, for an inherited method, the superclass's)
// in `*old` before the hook can first run.
#pragma once

#include "objc_runtime.h"

extern "C" void MSHookMessageEx(Class _class, SEL message, IMP hook, IMP* old);
