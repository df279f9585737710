// What a themed view's background becomes: no colour, the lighter or darker
// tint of the owner's header icon, or a fixed white level at an alpha. The
// branch tables of banners and widgets are pure functions to these values;
// apply_fill turns one into a colour on a view.
#pragma once

#include "core/host_style.h"
#include "core/settings_values.h"
#include "platform/platform.h"

namespace corvane {

enum class FillKind : uint8_t { Clear, Lighter, Darker, White };

struct Fill {
  FillKind kind;
  double white;  // FillKind::White only
  double alpha;  // FillKind::White only

  static constexpr Fill clear() { return {FillKind::Clear, 0, 0}; }
  static constexpr Fill lighter() { return {FillKind::Lighter, 0, 0}; }
  static constexpr Fill darker() { return {FillKind::Darker, 0, 0}; }
  static constexpr Fill grey(double white, double alpha) { return {FillKind::White, white, alpha}; }
};

// Only the light style selects the light branch; every other style (dark,
// unspecified) takes the dark branch unless light is forced.
constexpr bool takes_light_branch(NSInteger style, bool force_light) {
  return style == kLightStyle || force_light;
}

// The first image of the owner's header (element 0 of the icons of its
// "_headerContentView", PLTitledPlatterView's in a banner and
// WGWidgetPlatterView's in a widget), or nil when the owner is neither or
// the header shows no icon. The empty
// list is checked first: index 0 of an empty array raises on the platform.
id first_header_icon(id owner);

// Sets `view`'s background for `fill`. The tints are formed afresh from the
// owner's first header icon through the owner's own colour methods
// (adaptiveColorForImage:, then lighterColorForColor: or
// darkerColorForColor:); a fixed level is a colorWithWhite:alpha:.
void apply_fill(id owner, id view, Fill fill);

}  // namespace corvane
