// PLPlatterHeaderContentView: the header of a banner (and, as its subclass
// WGPlatterHeaderContentView, of a widget), showing the owning application's
// icons and its name and, on a device, a date.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// `icons` (an NSArray of UIImage, the application's icon first) and `title`
// (the application's name, an NSString; nil until the host sets one) are
// copy properties with no instance variables behind them: on a device the
// icons are shown in buttons (_iconButtons), which the simulator does not
// model. The host keeps the two values here and draws the icons itself.
struct PLPlatterHeaderContentViewObj : UIViewObj {
  Strong icons;
  Strong title;
};

// A new (autoreleased) header of class `class_name` (PLPlatterHeaderContentView
// or WGPlatterHeaderContentView) showing `icon`, or no icon at all when nil.
id make_header_content_view(const char* class_name, id icon, CGRect frame);

// Gives a header `icon` as its only icon, or an empty icon list when nil.
void set_header_icon(id header, id icon);

// The header's height in banners and widgets, in points.
inline constexpr double kPlatterHeaderHeight = 36.0;

}  // namespace sim
