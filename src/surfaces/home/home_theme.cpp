#include "surfaces/home/home_theme.h"

#include "core/host_style.h"
#include "core/private_parts.h"
#include "core/settings.h"

namespace corvane::home {

void pin_dock_background(id dock) {
  if (!settings.forceLightDock) return;
  force_light_style(private_part(dock, "SBDockView", CV_STR("_backgroundView")));
}

void pin_folder_view(id folder_view) {
  if (!settings.forceLightFolders) return;
  force_light_style(folder_view);
}

id launch_view_for(id zoom_view) {
  if (!settings.hijackSnap) return zoom_view;
  if (current_system_style() != kDarkStyle) return zoom_view;
  // A nil zoom view gives the cover a zero frame.
  id cover = msg<id>(msg<id>(cls("UIView"), CV_SEL("alloc")), CV_SEL("init"));
  msg<void>(cover, CV_SEL("setBackgroundColor:"), msg<id>(cls("UIColor"), CV_SEL("blackColor")));
  msg<void>(cover, CV_SEL("setFrame:"), msg<CGRect>(zoom_view, CV_SEL("frame")));
  // Returned as the host's method returns its view: owned by no one.
  return msg<id>(cover, CV_SEL("autorelease"));
}

}  // namespace corvane::home
