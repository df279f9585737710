// PSViewController (a UIViewController): the Preferences framework's base
// controller, with its parent and root controllers and its specifier, and
// readPreferenceValue: / setPreferenceValue:specifier:, which PSListController
// inherits (both declared here in the iOS 13.4.1 and 14.3 dumps).
#pragma once

#include "sim/uikit/UIViewController.h"

namespace sim {

struct PSViewControllerObj : UIViewControllerObj {
  Weak parent_controller;  // _parentController
  Weak root_controller;    // _rootController
  Strong specifier;        // _specifier
};

}  // namespace sim
