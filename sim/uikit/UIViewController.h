// UIViewController (a UIResponder): a title and a parent. The host shows no
// views of controllers; a controller is there to be pushed on a navigation
// stack (the Settings app's panes) and to find that stack.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

struct UIViewControllerObj : objc_object {
  Weak parent;   // _parentViewController
  Strong title;  // _title
};

}  // namespace sim
