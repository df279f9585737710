// SpringBoard : UISystemShellApplication : UIApplication: the home-screen
// application. It answers the lock state, whether the home screen is showing
// and which application is in front. +sharedApplication is UIApplication's:
// SpringBoard registers itself as the process's principal class, so the
// application object UIApplication makes is a SpringBoard.
#include "sim/springboard/SpringBoard.h"

#include "sim/runtime/host_classes.h"
#include "sim/springboard/SBApplication.h"
#include "sim/uikit/UISystemShellApplication.h"

namespace sim {
namespace {

SpringBoardObj* app(id self) { return as<SpringBoardObj>(self); }

id make_springboard() {
  id made = send<id>(send<id>(reinterpret_cast<id>(ensure_class("SpringBoard")), sel("alloc")), sel("init"));
  app(made)->front_application = make_application(kDefaultFrontApplication);
  return made;
}

BOOL is_locked(id self, SEL) { return app(self)->locked; }
BOOL is_showing_homescreen(id self, SEL) { return app(self)->showing_homescreen; }
id front_most_application(id self, SEL) { return app(self)->front_application; }

Class install() {
  Class c = define_class<SpringBoardObj>("SpringBoard", ensure_class("UISystemShellApplication"));
  set_application_maker(make_springboard);
  def(c, "isLocked", is_locked);
  def(c, "isShowingHomescreen", is_showing_homescreen);
  def(c, "_accessibilityFrontMostApplication", front_most_application);
  return c;
}

SIM_HOST_CLASS("SpringBoard", Layer::SpringBoard, install);

}  // namespace

id springboard_application() {
  return send<id>(reinterpret_cast<id>(class_named("SpringBoard")), sel("sharedApplication"));
}

void set_device_state(std::optional<bool> locked, std::optional<bool> homescreen,
                      std::optional<std::string> front_app) {
  id sb = springboard_application();
  if (!sb) return;
  if (locked) app(sb)->locked = *locked;
  if (homescreen) app(sb)->showing_homescreen = *homescreen;
  if (front_app) app(sb)->front_application = front_app->empty() ? nullptr : make_application(*front_app);
}

}  // namespace sim
