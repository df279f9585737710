// The view a force-touch preview shows when it is raised from a home-screen
// icon. The icon views are the home screen's, a floor above UIKit, so UIKit
// does not make them: the home screen registers how it makes them, as on a
// device the home screen hands UIKit the view to preview.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// Makes (autoreleased) the source view for an icon's image: from iOS 14 the
// icon's image view, below it the whole icon view; nil when the process has
// no home-screen icon classes.
using IconPreviewSourceMaker = id (*)(id image, bool ios14);

void register_icon_preview_source(IconPreviewSourceMaker make);

// The registered maker's view, or nil when none is registered.
id make_icon_preview_source(id image, bool ios14);

struct IconPreviewSourceRegistration {
  explicit IconPreviewSourceRegistration(IconPreviewSourceMaker make) { register_icon_preview_source(make); }
};

}  // namespace sim
