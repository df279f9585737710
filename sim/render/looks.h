// What the renderer draws for which host view, beyond the frame, background
// colour, corners, clipping, alpha and subviews that every view has. The
// host's own drawing (materials, glyphs, text) has no state of its own in
// the simulator: it follows from the view's class, the view that holds it
// and the instance variable it is held in (its role), and from the style it
// draws in. Every such rule lives in looks.cpp, in one table.
#pragma once

#include <array>
#include <string>

#include "sim/runtime/runtime.h"

namespace sim::render {

// A translucent material: the backdrop behind the view, blurred, under a
// tint that depends on the style the view draws in.
enum class Material {
  None,
  Host,              // an MTMaterialView: Platter or PlatterHeader by its recipe
  Platter,           // the body of a banner or widget
  PlatterHeader,     // a widget's header strip
  Dock,              // the dock's backdrop
  FolderIcon,        // a closed folder's icon
  FolderBackground,  // an open folder's backing
  MenuBlur,          // an effect view's backdrop; the tint is its overlay's backgroundColor
};

// What the view shows on top of its material and background colour.
enum class Content {
  None,
  Image,       // the view's image (shown_image), stretched over its bounds
  IconImage,   // the same, masked to an icon's rounded square
  HeaderRow,   // a platter header: the first of `icons`, the application's name, the time
  BannerText,  // a notification's title and message
  WidgetText,  // a widget's lines of content
  Label,       // a label's text, in its textColor
  MenuRow,     // a menu row's separator and symbol, in its title label's textColor
  Portal,      // what a portal's source view shows, drawn at the portal
  StatusBar,   // time, signal, Wi-Fi and battery in the bar's foreground colour
  FolderGrid,  // the miniature icons of a closed folder
};

struct Look {
  Material material = Material::None;
  Content content = Content::None;
  // The corners the host draws the view with when its layer has no corner
  // radius of its own: an icon's rounded square, or `radius` points.
  bool icon_shape = false;
  double radius = 0;
};

// The look of `view`, by the first rule of the table that matches it; a view
// no rule names draws its image (shown_image), if any.
Look look_for(id view);

// The image a view shows: what it answers to contentsImage (an icon's image
// view) or, failing that, to image; nil when it answers neither.
id shown_image(id view);

// The instance variable of `owner` that holds `view`, or "".
std::string role_in(id owner, id view);

// The material's tint as straight RGBA, for the style `view` draws in
// (sim::effective_style): light for 1, dark otherwise. Material::Host asks
// the view for its recipe.
std::array<double, 4> material_tint(id view, Material material);

// How far the material blurs its backdrop, in points (0: no blur).
double material_blur_radius(Material material);

// Text colours for content drawn in the style `view` draws in.
std::array<double, 4> primary_text_colour(id view);
std::array<double, 4> secondary_text_colour(id view);

// The placeholder words of each kind of content.
struct HeaderWords {
  std::string app_name;  // the header's title in capitals, else a placeholder
  const char* time;      // "" for none
};
HeaderWords header_words(id header_view);
struct BodyLine {
  const char* text;
  bool bold;
  bool secondary;
};
// The lines of a banner's message or a widget's content, `count` set to how many.
const BodyLine* body_lines(Content content, size_t* count);

}  // namespace sim::render
