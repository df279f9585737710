// _UIPortalView: shows another view's contents (its _sourceView). The
// simulator keeps the source as the portal's one subview, so that dumps and
// renderings show what the portal shows.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIPortalViewObj : UIViewObj {
  Strong source_view;  // _sourceView
};

// A new (autoreleased) portal showing `source`.
id make_portal_view(id source);

}  // namespace sim
