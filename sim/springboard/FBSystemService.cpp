// FBSystemService: one shared instance per home-screen process.
// `exitAndRelaunch:` with YES records a "relaunch-requested" event and asks
// the process to relaunch; whoever drives the process (the simulator, after
// its current command) carries that out. With NO the service would only end
// the process, which the simulator does not model: nothing happens.
#include "sim/springboard/FBSystemService.h"

#include "sim/runtime/host_classes.h"
#include "sim/system/event_log.h"
#include "sim/system/system.h"

namespace sim {
namespace {

SharedInstance g_shared;

id shared_instance(id self, SEL) { return g_shared.get(static_cast<Class>(self)); }

void exit_and_relaunch(id, SEL, BOOL relaunch) {
  if (!relaunch) return;
  Event e;
  e.kind = "relaunch-requested";
  record_event(std::move(e));
  if (System* system = System::current()) system->request_relaunch();
}

Class install() {
  Class c = define_class<objc_object>("FBSystemService", ensure_class("NSObject"));
  def_class(c, "sharedInstance", shared_instance);
  def(c, "exitAndRelaunch:", exit_and_relaunch);
  return c;
}

SIM_HOST_CLASS("FBSystemService", Layer::SpringBoard, install);

}  // namespace

id shared_system_service() {
  return send<id>(reinterpret_cast<id>(class_named("FBSystemService")), sel("sharedInstance"));
}

}  // namespace sim
