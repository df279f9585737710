#include "surfaces/statusbar/statusbar_theme.h"

#include "core/names.h"
#include "core/signals.h"
#include "core/state.h"

namespace corvane::statusbar {
namespace {

// The home-screen application, looked up by name at each use: nil in any
// other process, where every question below then answers NO or nil.
id home_screen_application() { return msg<id>(cls("SpringBoard"), CV_SEL("sharedApplication")); }

}  // namespace

id style_colour(id status_bar) {
  bool light_content = msg<NSInteger>(status_bar, CV_SEL("currentStyle")) == 1;
  return msg<id>(cls("UIColor"), light_content ? CV_SEL("whiteColor") : CV_SEL("blackColor"));
}

bool front_application_listed() {
  id front = msg<id>(home_screen_application(), CV_SEL("_accessibilityFrontMostApplication"));
  id bundle = msg<id>(front, CV_SEL("bundleIdentifier"));
  return msg<BOOL>(cls("SparkAppList"), CV_SEL("doesIdentifier:andKey:containBundleIdentifier:"),
                   CV_STR(names::kAppListIdentifier), CV_STR(names::kAppListKey), bundle);
}

ForegroundChoice choose_foreground(id status_bar) {
  ForegroundChoice choice{false, style_colour(status_bar)};
  id home = home_screen_application();
  if (msg<BOOL>(home, CV_SEL("isLocked")) || msg<BOOL>(home, CV_SEL("isShowingHomescreen"))) {
    choice.device_busy = true;
    return choice;
  }
  if (darkModeActive && front_application_listed())
    choice.colour = msg<id>(cls("UIColor"), CV_SEL("whiteColor"));
  return choice;
}

void refresh_foreground(id status_bar) {
  ForegroundChoice choice = choose_foreground(status_bar);
  if (choice.device_busy) return;
  msg<void>(status_bar, CV_SEL("setForegroundColor:"), choice.colour);
}

void after_host_layout(id status_bar) {
  if (subscribe_once(status_bar, CV_SEL("darkModeChanged"), names::kDarkModeSignal)) {
    // The timer holds the bar weakly: it refreshes the bar every second for
    // as long as the bar lives, and stops once the bar is gone.
    schedule_weak_repeating_timer(1.0, status_bar, CV_SEL("darkModeChanged"));
  }
  msg<void>(status_bar, CV_SEL("darkModeChanged"));
}

}  // namespace corvane::statusbar
