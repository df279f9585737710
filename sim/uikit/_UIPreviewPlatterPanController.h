// _UIPreviewPlatterPanController: a plain NSObject that follows the pan
// gesture of a force-touch preview. It knows its container view, the
// platter view and the actions view (the menu) only weakly
// (_containerView, _platterView, _actionsView): its presentation controller
// (_UIPreviewPlatterPresentationController) owns them and the controller,
// and makes the controller with initWithContainerView:platterView:
// actionsView:. A view freed elsewhere reads back nil.
//
// It has no layout pass of its own (no viewDidLayoutSubviews): the menu is
// placed and coloured by the actions view's own layout pass.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

struct PlatterControllerObj : objc_object {
  Weak container_view;  // _containerView
  Weak platter_view;    // _platterView
  Weak actions_view;    // _actionsView
};

}  // namespace sim
