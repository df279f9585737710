#include "surfaces/home/home_hooks.h"

#include "surfaces/home/home_theme.h"

namespace corvane::home {
namespace {

IMP g_saved_dock = nullptr;
IMP g_saved_folder_icon = nullptr;
IMP g_saved_folder_background = nullptr;
IMP g_saved_zoom = nullptr;

void dock_layout(id self, SEL cmd) {
  call_saved<void>(g_saved_dock, self, cmd);
  pin_dock_background(self);
}
void folder_icon_layout(id self, SEL cmd) {
  call_saved<void>(g_saved_folder_icon, self, cmd);
  pin_folder_view(self);
}
void folder_background_layout(id self, SEL cmd) {
  call_saved<void>(g_saved_folder_background, self, cmd);
  pin_folder_view(self);
}
// A class method: self is SBUIController's class. The host's method always
// runs, even when its view is then replaced.
id zoom_view(id self, SEL cmd, id scene, id display, NSInteger orientation, id snapshot, CGSize size,
             id status_bar, BOOL decode) {
  id view = call_saved<id>(g_saved_zoom, self, cmd, scene, display, orientation, snapshot, size, status_bar,
                           decode);
  return launch_view_for(view);
}

}  // namespace

HomeHooks home_hooks() {
  return {reinterpret_cast<IMP>(&dock_layout),
          reinterpret_cast<IMP>(&folder_icon_layout),
          reinterpret_cast<IMP>(&folder_background_layout),
          reinterpret_cast<IMP>(&zoom_view),
          &g_saved_dock,
          &g_saved_folder_icon,
          &g_saved_folder_background,
          &g_saved_zoom};
}

}  // namespace corvane::home
