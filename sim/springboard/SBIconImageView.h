// SBIconImageView: the image part of a home-screen icon. It answers image
// and contentsImage with the icon's image.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct SBIconImageViewObj : UIViewObj {
  Strong image;
};

// A new (autoreleased) icon image view showing `image`, sized to it.
id make_icon_image_view(id image);

}  // namespace sim
