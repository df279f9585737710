#include "surfaces/statusbar/statusbar_hooks.h"

namespace corvane::statusbar {
namespace {

IMP g_saved_layout[2] = {};
IMP g_saved_set_foreground[2] = {};

template <int K>
void layout_hook(id self, SEL cmd) {
  call_saved<void>(g_saved_layout[K], self, cmd);
}
template <int K>
void dark_mode_changed(id, SEL) {}
template <int K>
void set_foreground_hook(id self, SEL cmd, id colour) {
  call_saved<void>(g_saved_set_foreground[K], self, cmd, colour);
}

template <int K>
StatusBarHooks hooks() {
  return {reinterpret_cast<IMP>(&layout_hook<K>), reinterpret_cast<IMP>(&dark_mode_changed<K>),
          reinterpret_cast<IMP>(&set_foreground_hook<K>), &g_saved_layout[K],
          &g_saved_set_foreground[K]};
}

}  // namespace

StatusBarHooks statusbar_hooks(StatusBarClass which) {
  return which == StatusBarClass::Legacy ? hooks<0>() : hooks<1>();
}

}  // namespace corvane::statusbar
