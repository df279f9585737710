// SpringBoard: the home-screen application, and the device state it reports.
//
// The class exists only in the home-screen process. Its one instance,
// [SpringBoard sharedApplication], starts in this state:
//   - unlocked (isLocked NO);
//   - an application in front, not the home screen (isShowingHomescreen NO);
//   - the front application is "com.apple.mobilesafari".
// The three values are independent: a script sets each one as it likes.
#pragma once

#include <optional>
#include <string>

#include "sim/runtime/runtime.h"

namespace sim {

inline constexpr const char* kDefaultFrontApplication = "com.apple.mobilesafari";

struct SpringBoardObj : objc_object {
  bool locked = false;
  bool showing_homescreen = false;
  Strong front_application;  // an SBApplication, or nil when none is in front
};

// The `device` command: any subset of the lock state, whether the home
// screen shows, and the front application's bundle identifier (an empty
// string: no application in front). Does nothing in a process without the
// home screen's classes.
void set_device_state(std::optional<bool> locked, std::optional<bool> homescreen,
                      std::optional<std::string> front_app);

// [SpringBoard sharedApplication], or nil outside the home-screen process.
id springboard_application();

}  // namespace sim
