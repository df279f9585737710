#include "appearance/arbiter_hooks.h"

namespace corvane::appearance {
namespace {

IMP g_saved_update = nullptr;
IMP g_saved_mode = nullptr;
IMP g_saved_log = nullptr;

void update_hook(id self, SEL cmd, BOOL notify, NSInteger reason) {
  call_saved<void>(g_saved_update, self, cmd, notify, reason);
}
void mode_hook(id self, SEL cmd, id arbiter) { call_saved<void>(g_saved_mode, self, cmd, arbiter); }
void log_hook(id self, SEL cmd, NSInteger new_mode, NSInteger old_mode, NSInteger new_style,
              NSInteger old_style, id reason) {
  call_saved<void>(g_saved_log, self, cmd, new_mode, old_mode, new_style, old_style, reason);
}
void dark_mode_changed(id, SEL, BOOL) {}

}  // namespace

ArbiterHooks arbiter_hooks() {
  return {reinterpret_cast<IMP>(&update_hook), reinterpret_cast<IMP>(&mode_hook),
          reinterpret_cast<IMP>(&log_hook),    reinterpret_cast<IMP>(&dark_mode_changed),
          &g_saved_update,                     &g_saved_mode,
          &g_saved_log};
}

}  // namespace corvane::appearance
