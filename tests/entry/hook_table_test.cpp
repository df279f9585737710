// The load-time entry's hook table as the runtime sees it.
#include <gtest/gtest.h>

#include "support/sim_fixture.h"

using namespace corvane_test;

namespace {

struct ExpectedClass {
  const char* name;
  std::vector<std::string> hooked;
  std::vector<std::pair<std::string, std::string>> added;
  std::vector<std::string> class_hooked;
};

const std::vector<std::pair<std::string, std::string>> kListener = {{"hasChangeListener", "B@:"},
                                                                    {"setHasChangeListener:", "v@:B"}};

std::vector<std::pair<std::string, std::string>> concat(
    std::initializer_list<std::vector<std::pair<std::string, std::string>>> parts) {
  std::vector<std::pair<std::string, std::string>> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<ExpectedClass> expected_table() {
  const std::vector<std::pair<std::string, std::string>> colours = {
      {"adaptiveColorForImage:", "@@:@"},
      {"adaptiveAlternateColorForImage:", "@@:@"},
      {"lighterColorForColor:", "@@:@"},
      {"darkerColorForColor:", "@@:@"}};
  const std::vector<std::pair<std::string, std::string>> tint_view = {{"headerTintView", "@@:"},
                                                                      {"setHeaderTintView:", "v@:@"}};
  return {
      {"UIStatusBar",
       {"layoutSubviews", "setForegroundColor:"},
       concat({{{"darkModeChanged", "v@:"}}, kListener}),
       {}},
      {"UIStatusBar_Modern",
       {"layoutSubviews", "setForegroundColor:"},
       concat({{{"darkModeChanged", "v@:"}}, kListener}),
       {}},
      {"NCNotificationShortLookView",
       {"layoutSubviews"},
       concat({{{"updateNotificationTheme", "v@:"}}, colours, kListener, tint_view}),
       {}},
      {"WGWidgetPlatterView",
       {"layoutSubviews", "_configureHeaderViewsIfNecessary", "_configureBackgroundMaterialViewIfNecessary",
        "_updateHeaderContentViewVisualStyling", "_layoutHeaderViews", "_layoutContentView"},
       concat({{{"updateWidgetTheme", "v@:"}}, colours, kListener, tint_view}),
       {}},
      {"UIUserInterfaceStyleArbiter",
       {"_updateCurrentStyleAndNotify:forReason:", "userInterfaceStyleModeDidChange:",
        "_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:"},
       {{"darkModeChanged:", "v@:B"}},
       {}},
      // The table's hook on viewDidLayoutSubviews finds nothing to wrap: the
      // pan controller is a plain NSObject, as on the phone.
      {"_UIPreviewPlatterPanController",
       {"initWithContainerView:platterView:actionsView:"},
       concat({{{"configureTintEffect", "v@:"},
                {"adaptiveColorForImage:", "@@:@"},
                {"lighterColorForColor:", "@@:@"},
                {"darkerColorForColor:", "@@:@"}},
               kListener}),
       {}},
      {"_UIPreviewPlatterView", {"layoutSubviews"}, {}, {}},
      {"SBDockView", {"layoutSubviews"}, {}, {}},
      {"SBFolderIconImageView", {"layoutSubviews"}, {}, {}},
      {"SBFolderBackgroundView", {"layoutSubviews"}, {}, {}},
      {"SBUIController",
       {},
       {},
       {"zoomViewForDeviceApplicationSceneHandle:displayConfiguration:interfaceOrientation:snapshot:"
        "snapshotSize:statusBarDescriptor:decodeImage:"}},
  };
}

void expect_touches(const std::vector<ExpectedClass>& want) {
  const auto& got = sim::runtime_touches();
  ASSERT_EQ(got.size(), want.size());
  size_t hooks = 0, added = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(want[i].name);
    EXPECT_EQ(got[i].class_name, want[i].name);
    EXPECT_EQ(got[i].hooked, want[i].hooked);
    EXPECT_EQ(got[i].added, want[i].added);
    EXPECT_EQ(got[i].class_hooked, want[i].class_hooked);
    hooks += got[i].hooked.size() + got[i].class_hooked.size();
    added += got[i].added.size();
  }
  EXPECT_EQ(hooks, want.size() == 11 ? 20u : hooks);  // 21 asked for, one with nothing to wrap
  EXPECT_EQ(added, want.size() == 11 ? 31u : added);
}

TEST(HookTable, HomeScreenGetsEveryHookAndAddedMethodInOrder) {
  SimProcess p;
  p.load();
  expect_touches(expected_table());
}

TEST(HookTable, InstalledWhateverTheSettingsSay) {
  SimProcess p;
  sim::plist::Dictionary all_off;
  for (const char* key : {"darkColorTint", "lightColorTint", "widgets", "notifications", "forceTouch",
                          "enableHeader", "altAlgo", "blurryForceTouch", "useDarkOffset", "forceLightDock",
                          "forceLightFolders", "forceLightNotifications", "forceLightWidget", "hijackSnap"})
    all_off.set(key, false);
  p.write_settings(all_off);
  p.load();
  expect_touches(expected_table());
}

TEST(HookTable, ApplicationGetsOnlyTheUIKitGroups) {
  SimProcess p(ProcessSpec{{14, 2, 0}, sim::ProcessKind::App, "com.example.app"});
  p.load();
  std::vector<ExpectedClass> want;
  for (auto& c : expected_table()) {
    std::string n = c.name;
    if (n == "UIStatusBar" || n == "UIStatusBar_Modern" || n == "UIUserInterfaceStyleArbiter" ||
        n == "_UIPreviewPlatterPanController" || n == "_UIPreviewPlatterView")
      want.push_back(c);
  }
  expect_touches(want);
}

TEST(HookTable, DaemonGetsNothingButTheEntryCompletes) {
  SimProcess p(ProcessSpec{{13, 7, 0}, sim::ProcessKind::Daemon, "locationd"});
  p.load();
  EXPECT_TRUE(sim::runtime_touches().empty());
  EXPECT_TRUE(p.settings().notifications);  // the settings were read all the same
}

TEST(HookTable, EachStatusBarClassRunsItsOwnSavedLayout) {
  SimProcess p;
  p.load();
  sim::AutoreleasePool pool;
  Class legacy = sim::class_named("UIStatusBar");
  Class modern = sim::class_named("UIStatusBar_Modern");
  ASSERT_TRUE(legacy && modern);
  // The hooks are distinct implementations for the two classes.
  EXPECT_NE(class_getMethodImplementation(legacy, sim::sel("layoutSubviews")),
            class_getMethodImplementation(modern, sim::sel("layoutSubviews")));
  EXPECT_NE(class_getMethodImplementation(legacy, sim::sel("hasChangeListener")),
            class_getMethodImplementation(modern, sim::sel("hasChangeListener")));
}

}  // namespace
