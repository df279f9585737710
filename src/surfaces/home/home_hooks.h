// Home-screen overrides: forced-light dock and folders, and the launch
// snapshot cover.
#pragma once

#include "platform/platform.h"

namespace corvane::home {

struct HomeHooks {
  IMP dock_layout;               // SBDockView layoutSubviews
  IMP folder_icon_layout;        // SBFolderIconImageView layoutSubviews
  IMP folder_background_layout;  // SBFolderBackgroundView layoutSubviews
  IMP zoom_view;                 // +[SBUIController zoomViewForDeviceApplicationSceneHandle:...]
  IMP* saved_dock_layout;
  IMP* saved_folder_icon_layout;
  IMP* saved_folder_background_layout;
  IMP* saved_zoom_view;
};

inline constexpr const char* kZoomViewSelector =
    "zoomViewForDeviceApplicationSceneHandle:displayConfiguration:interfaceOrientation:snapshot:"
    "snapshotSize:statusBarDescriptor:decodeImage:";

HomeHooks home_hooks();

}  // namespace corvane::home
