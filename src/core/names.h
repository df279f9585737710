// Fixed names the library shares with the rest of the system: the settings
// file, the per-application list, and the notifications it posts and observes.
#pragma once

namespace corvane::names {

inline constexpr const char* kSettingsPath =
    "/var/mobile/Library/Preferences/com.tallowbirch.corvane13prefs.settings.plist";
inline constexpr const char* kEnabledKey = "enabled";
// The settings file's preferences domain (the file's name without .plist),
// as the settings pane's page names it.
inline constexpr const char* kSettingsDomain = "com.tallowbirch.corvane13prefs.settings";

inline constexpr const char* kAppListIdentifier = "com.tallowbirch.corvaneprefs.settings";
inline constexpr const char* kAppListKey = "Enabled Apps";

// Darwin, received: relaunch the home screen.
inline constexpr const char* kRestartSignal = "com.tallowbirch.corvane13/respring";
// Local: re-theme every registered banner, widget and preview controller.
inline constexpr const char* kRethemeSignal = "com.tallowbirch.corvane13.update";
// Local, received: status bars re-apply their foreground.
inline constexpr const char* kDarkModeSignal = "com.tallowbirch.corvane.darkModeChanged";
// Distributed, sent: the system turned dark / light.
inline constexpr const char* kEnableBroadcast = "com.tallowbirch.corvane13.enable";
inline constexpr const char* kDisableBroadcast = "com.tallowbirch.corvane13.disable";

}  // namespace corvane::names
