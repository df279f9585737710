// The settings values as the library holds them: one per key of the settings
// file, named after it. Plain data, so that tests can read it too.
#pragma once

namespace corvane {

struct Settings {
  bool darkColorTint;
  bool lightColorTint;
  bool widgets;
  bool notifications;
  bool forceTouch;
  bool enableHeader;
  bool altAlgo;
  bool blurryForceTouch;
  double lightColorStrength;  // reals are read at single precision
  double lightColorOffset;
  double darkColorStrength;
  double darkColorOffset;
  bool useDarkOffset;
  double darkModeOffset;
  bool forceLightDock;
  bool forceLightFolders;
  bool forceLightNotifications;
  bool forceLightWidget;
  bool hijackSnap;
};

}  // namespace corvane
