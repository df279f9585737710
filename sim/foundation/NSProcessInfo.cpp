// NSProcessInfo: the shared instance and the system version the simulated
// process runs (its options' iOS version), exactly as a device reports it.
#include "sim/foundation/NSProcessInfo.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"

namespace sim {
namespace {

SharedInstance g_process_info;

id process_info(id self, SEL) { return g_process_info.get(static_cast<Class>(self)); }

NSOperatingSystemVersion operating_system_version(id, SEL) {
  const System* system = System::current();
  if (!system) return {};
  const OSVersion v = system->ios();
  return {v.major, v.minor, v.patch};
}

Class install() {
  Class c = define_class<objc_object>("NSProcessInfo", ensure_class("NSObject"));
  def_class(c, "processInfo", process_info);
  def(c, "operatingSystemVersion", operating_system_version);
  return c;
}

SIM_HOST_CLASS("NSProcessInfo", Layer::Foundation, install);

}  // namespace
}  // namespace sim
