// PSUIPrefsListController: the Settings app's root list. Apple's own rows
// (General, Privacy, ...) are not modelled; the list holds PreferenceLoader's
// rows, which PreferenceLoader adds by hooking -specifiers on this class. The
// host builds that result directly (sim/preferences/preference_loader.h)
// rather than through a hook, so that the runtime's record of hooks stays
// the library's alone: an unnamed group, then the loaded rows sorted by
// name, as PreferenceLoader places them at the end of a list with no
// TWITTER group.
#include "sim/preferences/PSUIPrefsListController.h"

#include "sim/foundation/foundation.h"
#include "sim/preferences/preference_loader.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

id specifiers(id self, SEL) {
  PSListControllerObj* l = as<PSListControllerObj>(self);
  if (!l->specifiers) {
    id all = make_array({}, true);
    send<void>(all, sel("addObject:"),
               send<id>(reinterpret_cast<id>(class_named("PSSpecifier")), sel("groupSpecifierWithName:"),
                        id(nullptr)));
    for (id row : preference_loader_specifiers(self)) send<void>(all, sel("addObject:"), row);
    l->specifiers = all;
  }
  return l->specifiers;
}

Class install() {
  Class c = define_class<PSListControllerObj>("PSUIPrefsListController", ensure_class("PSListController"));
  def(c, "specifiers", specifiers);
  return c;
}

SIM_HOST_CLASS("PSUIPrefsListController", Layer::Preferences, install);

}  // namespace
}  // namespace sim
