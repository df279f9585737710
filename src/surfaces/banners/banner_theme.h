// Notification banner theming: what the layout hook adds to the host's
// layout, and updateNotificationTheme.
#pragma once

#include "surfaces/theme_fill.h"

namespace corvane::banners {

// Height of the header tint view, at the banner's origin across its width.
inline constexpr double kHeaderTintHeight = 30.0;
inline constexpr double kThemeAnimationSeconds = 0.5;
inline constexpr double kCornerRadius = 13.0;

// The background that both the header tint view and the custom content view
// get, in the light or the dark branch.
constexpr Fill banner_fill(bool light, const Settings& s) {
  if (light) return s.lightColorTint ? Fill::lighter() : Fill::clear();
  if (s.darkColorTint) return Fill::darker();
  if (s.useDarkOffset) return Fill::grey(0.0, s.darkModeOffset);
  return Fill::clear();
}

// Everything after the host's own layout of `banner`: the forced light
// style, the once-only registration and header tint view, and the re-theme.
void after_host_layout(id banner);

// updateNotificationTheme: re-tints the banner for the current style, in an
// animation, then rounds its corners.
void theme_banner(id banner);

}  // namespace corvane::banners
