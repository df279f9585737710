// NSFileManager: the shared manager and whether a path exists (device paths
// are mapped below the process's root; symbolic links are followed).
#include <sys/stat.h>

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"

namespace sim {
namespace {

SharedInstance g_default_manager;

id default_manager(id self, SEL) { return g_default_manager.get(static_cast<Class>(self)); }

BOOL file_exists_at_path(id, SEL, id path) {
  if (!path) return NO;
  std::string device_path = string_value(path);
  if (device_path.empty() || sandbox_denies(device_path)) return NO;
  std::string host = host_path_of(device_path);
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0;
}

Class install() {
  Class c = define_class<objc_object>("NSFileManager", ensure_class("NSObject"));
  def_class(c, "defaultManager", default_manager);
  def(c, "fileExistsAtPath:", file_exists_at_path);
  return c;
}

SIM_HOST_CLASS("NSFileManager", Layer::Foundation, install);

}  // namespace
}  // namespace sim
