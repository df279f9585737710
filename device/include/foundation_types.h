// Foundation value types the library receives by message on a device. The
// library links no Foundation: classes are found with objc_getClass at run
// time and these are only the layouts of the structures their methods return.
#pragma once

#include "objc_runtime.h"

// -[NSProcessInfo operatingSystemVersion]
struct NSOperatingSystemVersion {
  NSInteger majorVersion;
  NSInteger minorVersion;
  NSInteger patchVersion;
};
