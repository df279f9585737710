// The pane's page: its groups in order, each with a header, a footer saying
// what its options do, and its rows. Every settings key of
// core/settings_keys.h appears here exactly once with a label; the key's
// kind and default come from the key list itself when Root.plist is
// generated (prefs/make_root_plist.cpp), so the page cannot disagree with
// the library. Plain data: the generator and the tests read it.
#pragma once

namespace corvane::pane {

inline constexpr const char* kTitle = "Corvane13";
inline constexpr const char* kControllerClass = "Corvane13RootListController";
inline constexpr const char* kBundleName = "Corvane13Prefs";

// Rows that are not settings keys, named by their specifier identifiers.
inline constexpr const char* kAppListRowID = "appList";
inline constexpr const char* kApplyLabel = "Apply";
inline constexpr const char* kResetLabel = "Reset to defaults";
inline constexpr const char* kAppListLabel = "Apps with a themed status bar";
inline constexpr const char* kAppListMissingLabel = "App list library not installed";

// A row: a settings key with its label, or (key null) one of the rows above,
// named by `special`.
enum class Special { None, AppList, Apply, Reset, Version };

struct Row {
  const char* key;
  const char* label;
  Special special = Special::None;
};

struct Group {
  const char* header;
  const char* footer;
  Row rows[6];
};

inline constexpr Group kGroups[] = {
    {"Tint",
     "Banners, widgets and force-touch menus take a colour from their app's icon: lighter in the light "
     "style, darker in the dark style. The alternative sampling shrinks the icon to one pixel instead of "
     "averaging its pixels.",
     {{"lightColorTint", "Light tint"}, {"darkColorTint", "Dark tint"}, {"altAlgo", "Alternative sampling"}}},
    {"Light tint strength and offset",
     "Strength is the light tint's opacity; offset is how much it brightens the icon's colour.",
     {{"lightColorStrength", "Light strength"}, {"lightColorOffset", "Light offset"}}},
    {"Dark tint strength and offset",
     "Strength is the dark tint's opacity; offset is how much it darkens the icon's colour.",
     {{"darkColorStrength", "Dark strength"}, {"darkColorOffset", "Dark offset"}}},
    {"Surfaces",
     "Which surfaces are themed. Widgets are left alone from iOS 14. Without an icon tint, the header "
     "shading greys the widget's header; the menu backing replaces the force-touch menu's blur.",
     {{"notifications", "Notification banners"},
      {"widgets", "Widgets"},
      {"enableHeader", "Widget header shading"},
      {"forceTouch", "Force-touch menus"},
      {"blurryForceTouch", "Menu backing"}}},
    {"Dark backdrop",
     "In the dark style without the dark tint, banners and widgets can lie on translucent black of this "
     "opacity.",
     {{"useDarkOffset", "Dark backdrop"}, {"darkModeOffset", "Backdrop opacity"}}},
    {"Keep light",
     "These stay in the light style when the system turns dark. Widgets are left alone from iOS 14. The "
     "launch cover hides an app's launch snapshot behind black in the dark style.",
     {{"forceLightDock", "Dock"},
      {"forceLightFolders", "Folders"},
      {"forceLightNotifications", "Notification banners"},
      {"forceLightWidget", "Widgets"},
      {"hijackSnap", "Launch cover"}}},
    {"Status bar",
     "In the dark style, the status bar shows white text in the apps chosen here.",
     {{nullptr, kAppListLabel, Special::AppList}}},
    {"",
     "Changes take effect when the home screen restarts: Apply restarts it now. Reset to defaults removes "
     "every choice made here.",
     {{nullptr, kApplyLabel, Special::Apply}, {nullptr, kResetLabel, Special::Reset}}},
    {"", "", {{nullptr, "Version", Special::Version}}},
};

}  // namespace corvane::pane
