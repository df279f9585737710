// The keys of the settings file, in the order the library reads them, each
// with its kind, default and meaning. This one list drives the library's
// Settings struct and its reader, and the simulator's settings dump, help
// table and settings-file checks, so a key is added, renamed, re-defaulted
// or re-described in one place.
//
// CORVANE_SETTINGS_KEYS(FLAG, REAL) expands FLAG(name, fallback, meaning)
// for each boolean key and REAL(name, fallback, meaning) for each real one.
// The name is both the file's key and the Settings field; reals are read at
// single precision and are strengths or offsets from 0 to 1. The meaning is
// a one-line string literal for people (help texts); the library ignores it.
#pragma once

#define CORVANE_SETTINGS_KEYS(FLAG, REAL)                                                                    \
  FLAG(darkColorTint, false,                                                                                 \
       "in the dark style, tint banners, widgets and the force-touch menu with a darker colour of the "      \
       "app's icon")                                                                                         \
  FLAG(lightColorTint, true,                                                                                 \
       "in the light style, tint banners, widgets and the force-touch menu with a lighter colour of the "    \
       "app's icon")                                                                                         \
  FLAG(widgets, true,                                                                                        \
       "theme widgets: round their corners and retint them at layout (forced off from iOS 14)")              \
  FLAG(notifications, true, "theme notification banners")                                                    \
  FLAG(forceTouch, true, "theme force-touch menus as they appear and when the style changes")                \
  FLAG(enableHeader, false, "without an icon tint, shade the widget's header with a fixed grey")             \
  FLAG(altAlgo, false,                                                                                       \
       "take banner and widget tints from the icon shrunk to one pixel, not from the average of its pixels") \
  FLAG(blurryForceTouch, true, "hide the force-touch menu's blur and lay a grey backing under its rows")     \
  REAL(lightColorStrength, 0.3, "opacity of the light tint on banners and widgets")                          \
  REAL(lightColorOffset, 0.3, "how much the light tint brightens the icon's colour (added to R, G and B)")   \
  REAL(darkColorStrength, 0.3, "opacity of the dark tint on banners and widgets")                            \
  REAL(darkColorOffset, 0.3, "how much the dark tint darkens the icon's colour (taken from R, G and B)")     \
  FLAG(useDarkOffset, false,                                                                                 \
       "in the dark style without darkColorTint, lay translucent black on banners and widgets")              \
  REAL(darkModeOffset, 0.3, "opacity of the translucent black of useDarkOffset")                             \
  FLAG(forceLightDock, false, "keep the dock light in the dark style")                                       \
  FLAG(forceLightFolders, false, "keep folder icons and open folders light in the dark style")               \
  FLAG(forceLightNotifications, false, "keep notification banners light in the dark style")                  \
  FLAG(forceLightWidget, false, "keep widgets light in the dark style (forced off from iOS 14)")             \
  FLAG(hijackSnap, false, "in the dark style, cover an app's launch snapshot with black")
