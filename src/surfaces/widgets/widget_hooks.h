// Widgets: the layout hook, the five configuration/layout trigger hooks and
// updateWidgetTheme.
#pragma once

#include "platform/platform.h"

namespace corvane::widgets {

inline constexpr int kTriggerCount = 5;

// The widget's own steps after which it re-themes, in installation order.
inline constexpr const char* kTriggerSelectors[kTriggerCount] = {
    "_configureHeaderViewsIfNecessary", "_configureBackgroundMaterialViewIfNecessary",
    "_updateHeaderContentViewVisualStyling", "_layoutHeaderViews", "_layoutContentView"};

struct WidgetHooks {
  IMP layout_subviews;
  IMP triggers[kTriggerCount];
  IMP update_widget_theme;  // added, v@:
  IMP* saved_layout_subviews;
  IMP* saved_triggers[kTriggerCount];
};

WidgetHooks widget_hooks();

}  // namespace corvane::widgets
