// MTMaterialView: the home screen's translucent platter material, the
// backdrop of banners and widgets.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// Which material a view shows.
enum MaterialRecipe : NSInteger {
  kMaterialRecipePlatter = 1,        // the body of a banner or widget
  kMaterialRecipePlatterHeader = 2,  // a widget's header strip, a little denser
};

// A material is a blur of what lies behind it, tinted for the style it draws
// in. The simulator keeps the tint as a colour (`materialTintColor`) that a
// renderer paints under the view's own backgroundColor; setting the
// backgroundColor (or clearing it to nil) leaves the material in place, as
// on a device.
struct MTMaterialViewObj : UIViewObj {
  NSInteger recipe = kMaterialRecipePlatter;
};

// A new (autoreleased) material view.
id make_material_view(CGRect frame, NSInteger recipe);

// The material's tint for the style it draws in now (autoreleased colour).
id material_tint_colour(id material_view);

}  // namespace sim
