// NSProcessInfo's version structure, as the platform spells it, with its
// type encoding for checked sends. Freestanding: the library includes it
// through its platform seam to ask the system's version by message.
#pragma once

#include "sim/runtime/objc.h"

struct NSOperatingSystemVersion {
  NSInteger majorVersion;
  NSInteger minorVersion;
  NSInteger patchVersion;
};

template <>
struct sim_enc::enc<NSOperatingSystemVersion> {
  static constexpr const char* s = "{NSOperatingSystemVersion=qqq}";
};
