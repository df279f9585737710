// _UIPreviewPlatterPanController as the host builds it.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// The host raises a preview platter: the controller, made with its
// initialiser, with its platter view, actions view and menu of `items` rows
// in the layout of the running version. `icon` is the image of the icon the
// platter was raised from, or nil when it was not raised from an icon;
// `effect` (iOS 14) whether the menu background answers visualEffectView.
id make_platter_controller(id icon, int items, bool effect);

}  // namespace sim
