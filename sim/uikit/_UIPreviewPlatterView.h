// _UIPreviewPlatterView: the platter of a force-touch preview, drawing the
// view the preview was raised from inside its collapsed transform view.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIPreviewPlatterViewObj : UIViewObj {
  Strong collapsed_transform_view;  // _collapsedTransformView
};

// A new (autoreleased) platter view holding `collapsed` as its collapsed
// transform view (and subview).
id make_preview_platter_view(CGRect frame, id collapsed);

// What the platter's layout pass does to its contents: every view inside the
// collapsed transform view (and that view itself) fills its parent.
void fit_platter_contents(id platter_view);

}  // namespace sim
