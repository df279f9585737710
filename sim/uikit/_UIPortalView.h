// _UIPortalView: shows another view's contents, its _sourceView, which it
// holds weakly: the source belongs to whoever shows it, and a source freed
// elsewhere reads back nil. On the phone the portal draws through its layer
// (a CAPortalLayer); here the source is not a subview of the portal, and a
// renderer draws the source at the portal.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIPortalViewObj : UIViewObj {
  Weak source_view;  // _sourceView
};

// A new (autoreleased) portal showing `source`.
id make_portal_view(id source);

}  // namespace sim
