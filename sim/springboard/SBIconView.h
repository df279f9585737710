// SBIconView: a home-screen icon, the view a force-touch preview is raised
// from below iOS 14. It holds its image view (_iconImageView) and answers
// iconImageSnapshot with the icon's image.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct SBIconViewObj : UIViewObj {
  Strong icon_image_view;  // _iconImageView
};

// A new (autoreleased) icon view showing `image`, sized to it.
id make_icon_view(id image);

}  // namespace sim
