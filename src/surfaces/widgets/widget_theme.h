// Widget theming: what the layout hook adds to the host's layout, and
// updateWidgetTheme.
#pragma once

#include "surfaces/theme_fill.h"

namespace corvane::widgets {

inline constexpr double kCornerRadius = 13.0;
// Fixed header greys for when icon tinting is off and enableHeader is set.
inline constexpr double kLightHeaderWhite = 0.85;
inline constexpr double kDarkHeaderWhite = 0.2;
inline constexpr double kHeaderGreyAlpha = 0.35;
// How much denser the header's translucent black is than the body's.
inline constexpr double kHeaderOffsetExtra = 0.2;

// The backgrounds of the widget's "_backgroundView" and
// "_headerBackgroundView".
struct WidgetFills {
  Fill background;
  Fill header;
};

constexpr WidgetFills widget_fills(bool light, const Settings& s) {
  if (light) {
    if (s.lightColorTint) return {Fill::lighter(), Fill::lighter()};
    if (s.enableHeader) return {Fill::clear(), Fill::grey(kLightHeaderWhite, kHeaderGreyAlpha)};
    return {Fill::clear(), Fill::clear()};
  }
  if (s.darkColorTint) return {Fill::darker(), Fill::darker()};
  if (s.useDarkOffset) {
    double header_alpha = s.enableHeader ? s.darkModeOffset + kHeaderOffsetExtra : s.darkModeOffset;
    return {Fill::grey(0.0, s.darkModeOffset), Fill::grey(0.0, header_alpha)};
  }
  if (s.enableHeader) return {Fill::clear(), Fill::grey(kDarkHeaderWhite, kHeaderGreyAlpha)};
  return {Fill::clear(), Fill::clear()};
}

// Everything after the host's own layout of `widget`: the forced light
// style, the once-only registration, the header tint view, the corners and
// the re-theme.
void after_host_layout(id widget);

// updateWidgetTheme: re-colours the widget's background and header
// background for the current style, at once. Does nothing on iOS 14.0 and
// later.
void theme_widget(id widget);

}  // namespace corvane::widgets
