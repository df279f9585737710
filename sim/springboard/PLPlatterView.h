// PLPlatterView: the rounded platter that notifications are drawn on.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// A platter's own views: its backdrop (backgroundView, retained, in
// _backgroundView) and the custom content view (readonly customContentView,
// in _customContentView; nil unless the host gives it one).
struct PLPlatterViewObj : UIViewObj {
  Strong background_view;
  Strong custom_content_view;
};

}  // namespace sim
