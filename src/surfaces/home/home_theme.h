// What the home-screen hooks do after the host's own method: pin the dock's
// background and the folders to the light style, and cover launch zoom
// snapshots with black in the dark style.
#pragma once

#include "platform/platform.h"

namespace corvane::home {

// With forceLightDock, the dock's private background view (looked up afresh
// by key) is pinned light; the dock view itself never is.
void pin_dock_background(id dock);

// With forceLightFolders, the folder view (icon image or open-folder
// background) is pinned light.
void pin_folder_view(id folder_view);

// The view to animate for a launch: the host's zoom view, or, with
// hijackSnap in the dark style, a new black view of the zoom view's frame
// (autoreleased) in its place.
id launch_view_for(id zoom_view);

}  // namespace corvane::home
