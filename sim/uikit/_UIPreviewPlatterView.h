// _UIPreviewPlatterView: the platter of a force-touch preview. Its collapsed
// clipping view (_collapsedClippingView: a UIView below iOS 14, a
// _UIPlatterClippingView from 14) holds the collapsed transform view
// (_collapsedTransformView), which shows the view the preview was raised
// from. The dumps do not say which view holds which; the simulator puts the
// transform view inside the clipping view.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIPreviewPlatterViewObj : UIViewObj {
  Strong collapsed_clipping_view;   // _collapsedClippingView
  Strong collapsed_transform_view;  // _collapsedTransformView
};

// A new (autoreleased) platter view holding `collapsed` as its collapsed
// transform view, inside a new collapsed clipping view of the running
// version's class.
id make_preview_platter_view(CGRect frame, id collapsed);

// What the platter's layout pass does to its contents: every view inside
// the platter (its clipping view, the transform view and what it shows)
// fills its parent.
void fit_platter_contents(id platter_view);

}  // namespace sim
