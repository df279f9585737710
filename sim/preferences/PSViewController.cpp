// PSViewController. The framework's own storage: readPreferenceValue: is the
// value under the specifier's "key" in its "defaults" domain (through the
// preferences daemon, sim/preferences/preferences_store.h), or its
// "default" property; setPreferenceValue:specifier: stores the value there
// and then posts the specifier's "PostNotification" on the Darwin centre,
// as the framework does after a change. setSpecifier: also makes the
// specifier's name the controller's title (what Settings shows in the
// navigation bar; the host picks this order: specifier first, title from it).
#include "sim/preferences/PSViewController.h"

#include "sim/foundation/CFNotificationCenter.h"
#include "sim/foundation/foundation.h"
#include "sim/preferences/PSSpecifier.h"
#include "sim/preferences/preferences_store.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

PSViewControllerObj* ps(id self) { return as<PSViewControllerObj>(self); }

id specifier(id self, SEL) { return ps(self)->specifier; }
void set_specifier(id self, SEL, id s) {
  ps(self)->specifier = s;
  send<void>(self, sel("setTitle:"), send<id>(s, sel("name")));
}
id parent_controller(id self, SEL) { return ps(self)->parent_controller; }
void set_parent_controller(id self, SEL, id c) { ps(self)->parent_controller = c; }
id root_controller(id self, SEL) { return ps(self)->root_controller; }
void set_root_controller(id self, SEL, id c) { ps(self)->root_controller = c; }

id read_preference_value(id, SEL, id row) {
  id value =
      preferences_value(string_value(specifier_property(row, "defaults")), specifier_property(row, "key"));
  return value ? value : specifier_property(row, "default");
}

void set_preference_value(id, SEL, id value, id row) {
  set_preferences_value(string_value(specifier_property(row, "defaults")), specifier_property(row, "key"),
                        value);
  id note = specifier_property(row, "PostNotification");
  if (is_string(note) && !string_value(note).empty())
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                         reinterpret_cast<CFStringRef>(note), nullptr, nullptr, true);
}

Class install() {
  Class c = define_class<PSViewControllerObj>("PSViewController", ensure_class("UIViewController"));
  add_ivar(c, "_parentController", offsetof(PSViewControllerObj, parent_controller), nullptr,
           Ownership::Weak);
  add_ivar(c, "_rootController", offsetof(PSViewControllerObj, root_controller), nullptr, Ownership::Weak);
  add_ivar(c, "_specifier", offsetof(PSViewControllerObj, specifier), "PSSpecifier");
  def(c, "specifier", specifier);
  def(c, "setSpecifier:", set_specifier);
  def(c, "parentController", parent_controller);
  def(c, "setParentController:", set_parent_controller);
  def(c, "rootController", root_controller);
  def(c, "setRootController:", set_root_controller);
  def(c, "readPreferenceValue:", read_preference_value);
  def(c, "setPreferenceValue:specifier:", set_preference_value);
  return c;
}

SIM_HOST_CLASS("PSViewController", Layer::Preferences, install);

}  // namespace
}  // namespace sim
