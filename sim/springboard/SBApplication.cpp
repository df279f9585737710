// SBApplication: the home screen's record of one installed application; the
// status bar code asks it only for its bundle identifier.
#include "sim/springboard/SBApplication.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

id bundle_identifier(id self, SEL) { return as<SBApplicationObj>(self)->bundle_identifier; }

Class install() {
  Class c = define_class<SBApplicationObj>("SBApplication", ensure_class("NSObject"));
  def(c, "bundleIdentifier", bundle_identifier);
  return c;
}

SIM_HOST_CLASS("SBApplication", Layer::SpringBoard, install);

}  // namespace

id make_application(const std::string& bundle_id) {
  id app = send<id>(send<id>(reinterpret_cast<id>(ensure_class("SBApplication")), sel("alloc")), sel("init"));
  as<SBApplicationObj>(app)->bundle_identifier = make_string(bundle_id);
  return objc_autorelease(app);
}

}  // namespace sim
