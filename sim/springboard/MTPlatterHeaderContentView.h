// MTPlatterHeaderContentView: the header of a banner or widget, showing the
// owning application's icon and its name (title, an NSString; nil until the
// host sets one) and, on a device, a date.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct MTPlatterHeaderContentViewObj : UIViewObj {
  Strong icons;  // an NSArray of UIImage, the application's icon first
  Strong title;  // _title: the application's name, or nil
};

// A new (autoreleased) header showing `icon`, or no icon at all when nil.
id make_header_content_view(id icon, CGRect frame);

// Gives a header `icon` as its only icon, or an empty icon list when nil.
void set_header_icon(id header, id icon);

// The header's height in banners and widgets, in points.
inline constexpr double kPlatterHeaderHeight = 36.0;

}  // namespace sim
