#include "sim/uikit/UIApplication.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

SharedInstance g_shared;
id (*g_maker)() = nullptr;
RuntimeStopHook g_reset([] { g_maker = nullptr; });

// Every class below UIApplication answers the one application object,
// whichever class is asked.
id shared_application(id, SEL) {
  return g_shared.get([] {
    if (g_maker) return g_maker();
    return send<id>(send<id>(reinterpret_cast<id>(ensure_class("UIApplication")), sel("alloc")), sel("init"));
  });
}

Class install() {
  Class c = define_class<objc_object>("UIApplication", ensure_class("UIResponder"));
  def_class(c, "sharedApplication", shared_application);
  return c;
}

SIM_HOST_CLASS("UIApplication", Layer::UIKit, install);

}  // namespace

void set_application_maker(id (*make)()) { g_maker = make; }

}  // namespace sim
