// UINavigationController (a UIViewController): a stack of controllers.
#pragma once

#include <vector>

#include "sim/uikit/UIViewController.h"

namespace sim {

struct UINavigationControllerObj : UIViewControllerObj {
  // Kept by the controller, not as a named instance variable: on a device
  // the stack is the controller's children, read by message.
  std::vector<Strong> stack;  // bottom first
};

}  // namespace sim
