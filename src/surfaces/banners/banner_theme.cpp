#include "surfaces/banners/banner_theme.h"

#include "core/names.h"
#include "core/private_parts.h"
#include "core/properties.h"
#include "core/settings.h"
#include "core/signals.h"

namespace corvane::banners {
namespace {

// The header tint view, made the first time: in front of the material
// backdrop and behind everything else the banner shows.
id header_tint_view_made_once(id banner) {
  if (id existing = header_tint_view(banner)) return existing;
  id view = msg<id>(msg<id>(cls("UIView"), CV_SEL("alloc")), CV_SEL("init"));
  set_header_tint_view(banner, view);
  msg<void>(banner, CV_SEL("addSubview:"), view);
  msg<void>(banner, CV_SEL("sendSubviewToBack:"), view);
  msg<void>(banner, CV_SEL("sendSubviewToBack:"),
            private_part(banner, "PLPlatterView", CV_STR("_backgroundView")));
  msg<void>(view, CV_SEL("release"));  // the property and the banner hold it now
  return view;
}

// The animation bodies; the context is the banner.
void paint(id banner, bool light) {
  Fill fill = banner_fill(light, settings);
  apply_fill(banner, header_tint_view(banner), fill);
  apply_fill(banner, msg<id>(banner, CV_SEL("customContentView")), fill);
}
void light_branch(void* banner) { paint(static_cast<id>(banner), true); }
void dark_branch(void* banner) { paint(static_cast<id>(banner), false); }

}  // namespace

void after_host_layout(id banner) {
  if (settings.forceLightNotifications) force_light_style(banner);
  if (!settings.notifications) return;
  subscribe_once(banner, CV_SEL("updateNotificationTheme"), names::kRethemeSignal);
  id tint = header_tint_view_made_once(banner);
  CGRect frame = msg<CGRect>(banner, CV_SEL("frame"));
  msg<void>(tint, CV_SEL("setFrame:"), CGRect{{0, 0}, {frame.size.width, kHeaderTintHeight}});
  msg<void>(banner, CV_SEL("updateNotificationTheme"));
}

void theme_banner(id banner) {
  bool light = takes_light_branch(current_system_style(), settings.forceLightNotifications);
  animate(kThemeAnimationSeconds, light ? &light_branch : &dark_branch, banner);
  msg<void>(msg<id>(banner, CV_SEL("layer")), CV_SEL("setCornerRadius:"), kCornerRadius);
  msg<void>(banner, CV_SEL("setClipsToBounds:"), (BOOL) true);
}

}  // namespace corvane::banners
