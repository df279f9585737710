// SBIconImageView: the image part of a home-screen icon. It answers
// contentsImage with the icon's image (it has no `image` method).
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct SBIconImageViewObj : UIViewObj {
  Strong image;  // what contentsImage answers
};

// A new (autoreleased) icon image view showing `image`, sized to it.
id make_icon_image_view(id image);

}  // namespace sim
