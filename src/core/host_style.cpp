#include "core/host_style.h"

namespace corvane {

NSInteger current_system_style() {
  id arbiter = msg<id>(cls("UIUserInterfaceStyleArbiter"), CV_SEL("sharedInstance"));
  return msg<NSInteger>(arbiter, CV_SEL("currentStyle"));
}

void force_light_style(id view) { msg<void>(view, CV_SEL("setOverrideUserInterfaceStyle:"), kLightStyle); }

}  // namespace corvane
