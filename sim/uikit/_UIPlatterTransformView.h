// _UIPlatterTransformView: the platter's collapsed transform view. Below
// iOS 14 it holds the view the preview was raised from (sourceView); from
// iOS 14 a portal view that shows it (_portalView).
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
