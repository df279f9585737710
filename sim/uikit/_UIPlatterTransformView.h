// _UIPlatterTransformView: the platter's collapsed transform view. It has
// both a source view (_sourceView, readonly sourceView, strong) and a portal
// (_portalView, retained portalView) on iOS 13 and 14; the dumps do not say
// which one the phone uses. The host fills the source view below iOS 14
// (the view the preview was raised from, as its subview) and the portal from
// iOS 14 (as its subview; the portal shows the source), leaving the other
// nil.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIPlatterTransformViewObj : UIViewObj {
  Strong source_view;  // _sourceView
  Strong portal_view;  // _portalView
};

// A new (autoreleased) collapsed view showing `source` directly, or through
// `portal` when one is given (the portal then already shows the source).
id make_platter_transform_view(id source, id portal);

}  // namespace sim
