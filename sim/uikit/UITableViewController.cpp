#include "sim/uikit/UITableViewController.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  return define_class<UIViewControllerObj>("UITableViewController", ensure_class("UIViewController"));
}

SIM_HOST_CLASS("UITableViewController", Layer::UIKit, install);

}  // namespace
}  // namespace sim
