// The status bar's foreground choice: white or black, white for a listed
// front application while the system is dark.
#pragma once

#include "platform/platform.h"

namespace corvane::statusbar {

struct ForegroundChoice {
  // The device is locked or shows the home screen: the periodic refresh
  // leaves the bar alone, and a colour set from elsewhere becomes the style
  // colour.
  bool device_busy;
  id colour;  // whiteColor or blackColor
};

// whiteColor when the bar's own currentStyle is 1 (light content), else
// blackColor.
id style_colour(id status_bar);

// Whether the per-application list holds the front application. Asks the
// home-screen application and the list afresh.
bool front_application_listed();

// The whole choice, asked in order: the bar's style, the lock state, the
// home screen, then (only while the system is dark) the list. Each step is
// skipped once an earlier one has settled the outcome.
ForegroundChoice choose_foreground(id status_bar);

// The bar's first layout pass registers it for the dark-mode signal, marks
// it registered and starts its one-second refresh, once; every pass then
// refreshes the foreground.
void after_host_layout(id status_bar);

// The refresh: applies the choice with setForegroundColor:, unless the
// device is locked or on the home screen.
void refresh_foreground(id status_bar);

}  // namespace corvane::statusbar
