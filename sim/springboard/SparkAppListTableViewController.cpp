// SparkAppListTableViewController: initWithIdentifier:andKey: and the
// preferencesIdentifier and preferencesKey properties. The host lists no
// applications: a pushed picker shows which list it edits, nothing more.
#include "sim/springboard/SparkAppListTableViewController.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

SparkAppListTableViewControllerObj* picker(id self) { return as<SparkAppListTableViewControllerObj>(self); }

id init_with(id self, SEL, id identifier, id key) {
  picker(self)->identifier = identifier;
  picker(self)->key = key;
  return self;
}
id identifier(id self, SEL) { return picker(self)->identifier; }
id key(id self, SEL) { return picker(self)->key; }

Class install() {
  Class c = define_class<SparkAppListTableViewControllerObj>("SparkAppListTableViewController",
                                                             ensure_class("UITableViewController"));
  add_ivar(c, "_preferencesIdentifier", offsetof(SparkAppListTableViewControllerObj, identifier), "NSString");
  add_ivar(c, "_preferencesKey", offsetof(SparkAppListTableViewControllerObj, key), "NSString");
  def(c, "initWithIdentifier:andKey:", init_with);
  def(c, "preferencesIdentifier", identifier);
  def(c, "preferencesKey", key);
  return c;
}

SIM_HOST_CLASS("SparkAppListTableViewController", Layer::ListLibrary, install);

}  // namespace
}  // namespace sim
