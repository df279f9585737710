#include "surfaces/statusbar/statusbar_hooks.h"

#include "surfaces/statusbar/statusbar_theme.h"

namespace corvane::statusbar {
namespace {

// One slot per class and hooked method: index 0 UIStatusBar, 1
// UIStatusBar_Modern.
IMP g_saved_layout[2] = {};
IMP g_saved_set_foreground[2] = {};

template <int K>
void layout_hook(id self, SEL cmd) {
  call_saved<void>(g_saved_layout[K], self, cmd);
  after_host_layout(self);
}

template <int K>
void dark_mode_changed(id self, SEL) {
  refresh_foreground(self);
}

// The colour given is never used: the saved implementation receives the
// chosen colour in its place.
template <int K>
void set_foreground_hook(id self, SEL cmd, id) {
  call_saved<void>(g_saved_set_foreground[K], self, cmd, choose_foreground(self).colour);
}

template <int K>
StatusBarHooks hooks() {
  return {reinterpret_cast<IMP>(&layout_hook<K>), reinterpret_cast<IMP>(&dark_mode_changed<K>),
          reinterpret_cast<IMP>(&set_foreground_hook<K>), &g_saved_layout[K], &g_saved_set_foreground[K]};
}

}  // namespace

StatusBarHooks statusbar_hooks(StatusBarClass which) {
  return which == StatusBarClass::Legacy ? hooks<0>() : hooks<1>();
}

}  // namespace corvane::statusbar
