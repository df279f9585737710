// NCNotificationShortLookView as the host builds it.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// A banner's own views, back to front: the platter material, the header
// (the application's icon) and, for a notification with custom content,
// the custom content view below the header.
struct NCNotificationShortLookViewObj : UIViewObj {
  Strong background_view;      // _backgroundView, an MTMaterialView
  Strong header_content_view;  // _headerContentView, an MTPlatterHeaderContentView
  Strong custom_content_view;  // _customContentView, a UIView, or nil
};

// The host builds a banner with its private views in place: the background
// view, the header content view (icons: `icon`, or an empty list when nil)
// and, with `with_content`, a custom content view.
id make_banner(id icon, CGRect frame, bool with_content);

}  // namespace sim
