// PSListController (a PSViewController): a page of specifiers held in
// _specifiers, loaded from a bundle's plist, and what a tap on a row that
// opens another pane does (lazyLoadBundle:, controllerForSpecifier:).
#pragma once

#include "sim/preferences/PSViewController.h"

namespace sim {

struct PSListControllerObj : PSViewControllerObj {
  Strong specifiers;  // _specifiers
};

// The most rows one page plist may hold; a longer page is refused (empty).
inline constexpr size_t kMaxPageRows = 1000;

}  // namespace sim
