// MTMaterialView: the home screen's translucent platter material, the
// backdrop of banners and widgets.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

// Which material a view shows (its recipe, a long long). The platform's
// recipe values are not known here: these two are the simulator's own.
enum MaterialRecipe : NSInteger {
  kMaterialRecipePlatter = 1,        // the body of a banner or widget
  kMaterialRecipePlatterHeader = 2,  // a widget's header strip, a little denser
};

// A material is a blur of what lies behind it, tinted for the style it draws
// in and its recipe; the renderer draws both (sim/render/looks.h). Setting
// the view's backgroundColor (or clearing it to nil) leaves the material in
// place, as on a device.
struct MTMaterialViewObj : UIViewObj {
  NSInteger recipe = kMaterialRecipePlatter;
};

// A new (autoreleased) material view. A device builds one with
// +materialViewWithRecipe:configuration:; the simulator makes a view and
// sets its recipe.
id make_material_view(CGRect frame, NSInteger recipe);

}  // namespace sim
