// Notification banners: the layout hook and updateNotificationTheme.
#pragma once

#include "platform/platform.h"

namespace corvane::banners {

struct BannerHooks {
  IMP layout_subviews;            // hook
  IMP update_notification_theme;  // added, v@:
  IMP* saved_layout_subviews;
};

BannerHooks banner_hooks();

}  // namespace corvane::banners
