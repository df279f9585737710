// PLFailedBundleListController: titled "Error", one group whose footer reads
// "There was an error loading the preference bundle for NAME." (NAME: the
// row's name), as PreferenceLoader shows it.
#include "sim/preferences/PLFailedBundleListController.h"

#include "sim/foundation/foundation.h"
#include "sim/preferences/PSSpecifier.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

id specifiers(id self, SEL) {
  PSListControllerObj* l = as<PSListControllerObj>(self);
  if (!l->specifiers) {
    std::string name = string_value(send<id>(l->specifier.get(), sel("name")));
    id group = send<id>(reinterpret_cast<id>(class_named("PSSpecifier")), sel("emptyGroupSpecifier"));
    send<void>(group, sel("setProperty:forKey:"),
               make_string("There was an error loading the preference bundle for " + name + "."),
               make_string("footerText"));
    l->specifiers = make_array({group}, true);
  }
  return l->specifiers;
}

void set_specifier(id self, SEL, id s) {
  as<PSListControllerObj>(self)->specifier = s;
  send<void>(self, sel("setTitle:"), make_string("Error"));
}

Class install() {
  Class c =
      define_class<PSListControllerObj>("PLFailedBundleListController", ensure_class("PSListController"));
  def(c, "specifiers", specifiers);
  def(c, "setSpecifier:", set_specifier);
  return c;
}

SIM_HOST_CLASS("PLFailedBundleListController", Layer::Preferences, install);

}  // namespace
}  // namespace sim
