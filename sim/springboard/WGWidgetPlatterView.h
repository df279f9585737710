// WGWidgetPlatterView as the host builds it.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// A widget's own views, back to front: the platter material, below iOS 14
// the header's material strip, the header (the application's icon) and the
// widget's content below the header.
struct WGWidgetPlatterViewObj : UIViewObj {
  Strong background_view;         // _backgroundView, an MTMaterialView
  Strong header_background_view;  // _headerBackgroundView, an MTMaterialView; below iOS 14 only
  Strong header_content_view;     // _headerContentView, a WGPlatterHeaderContentView
  Strong content_view;            // _contentView (the contentView property), a UIView
};

// The host builds a widget with its background, header background (below
// iOS 14) and header content view (icons: `icon`, or an empty list when nil).
id make_widget(id icon, CGRect frame);

}  // namespace sim
