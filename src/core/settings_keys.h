// The keys of the settings file, in the order the library reads them, each
// with its kind and default. This one list drives the library's Settings
// struct and its reader, and the simulator's settings dump and help, so a
// key is added, renamed or re-defaulted in one place.
//
// CORVANE_SETTINGS_KEYS(FLAG, REAL) expands FLAG(name, fallback) for each
// boolean key and REAL(name, fallback) for each real one. The name is both
// the file's key and the Settings field; reals are read at single precision.
#pragma once

#define CORVANE_SETTINGS_KEYS(FLAG, REAL) \
  FLAG(darkColorTint, false)              \
  FLAG(lightColorTint, true)              \
  FLAG(widgets, true)                     \
  FLAG(notifications, true)               \
  FLAG(forceTouch, true)                  \
  FLAG(enableHeader, false)               \
  FLAG(altAlgo, false)                    \
  FLAG(blurryForceTouch, true)            \
  REAL(lightColorStrength, 0.3)           \
  REAL(lightColorOffset, 0.3)             \
  REAL(darkColorStrength, 0.3)            \
  REAL(darkColorOffset, 0.3)              \
  FLAG(useDarkOffset, false)              \
  REAL(darkModeOffset, 0.3)               \
  FLAG(forceLightDock, false)             \
  FLAG(forceLightFolders, false)          \
  FLAG(forceLightNotifications, false)    \
  FLAG(forceLightWidget, false)           \
  FLAG(hijackSnap, false)
