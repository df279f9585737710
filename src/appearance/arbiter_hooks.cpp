#include "appearance/arbiter_hooks.h"

#include "core/host_style.h"
#include "core/names.h"
#include "core/settings_file.h"
#include "core/signals.h"
#include "core/state.h"

namespace corvane::appearance {
namespace {

IMP g_saved_update = nullptr;
IMP g_saved_mode = nullptr;
IMP g_saved_log = nullptr;

// Writes `dark` into the settings file's "enabled" key, keeping every other
// key, by the settings file's rewrite rules (core/settings_file.h): a file
// that cannot be read back is left as it is, a missing one is created with
// "enabled" alone.
void set_enabled_key(id dict, void* context) {
  const bool dark = *static_cast<const bool*>(context);
  id flag = msg<id>(cls("NSNumber"), CV_SEL("numberWithBool:"), (BOOL)dark);
  msg<void>(dict, CV_SEL("setValue:forKey:"), flag, CV_STR(names::kEnabledKey));
}

void record_dark_state_in_settings(bool dark) { rewrite_settings_file(set_enabled_key, &dark, true); }

// Tells other processes whether the system is now dark.
void broadcast_dark_state(bool dark) {
  CFNotificationCenterPostNotification(CFNotificationCenterGetDistributedCenter(),
                                       reinterpret_cast<CFStringRef>(dark ? CV_STR(names::kEnableBroadcast)
                                                                          : CV_STR(names::kDisableBroadcast)),
                                       nullptr, nullptr, true);
}

// After the arbiter has recomputed its style: record it, then re-theme.
void report_current_style(id arbiter) {
  NSInteger style = msg<NSInteger>(arbiter, CV_SEL("currentStyle"));
  msg<void>(arbiter, CV_SEL("darkModeChanged:"), (BOOL)(style == kDarkStyle));
  post_local(names::kRethemeSignal, arbiter);
}

void update_hook(id self, SEL cmd, BOOL notify, NSInteger reason) {
  call_saved<void>(g_saved_update, self, cmd, notify, reason);
  report_current_style(self);
}

// The argument is the arbiter's own style-mode object, typed only as id.
void mode_hook(id self, SEL cmd, id mode) {
  call_saved<void>(g_saved_mode, self, cmd, mode);
  report_current_style(self);
}

// All five arguments are long long on iOS 13 and 14, the reason too: it is
// an integer code, never an object, so it is passed on as one.
void log_hook(id self, SEL cmd, NSInteger new_mode, NSInteger old_mode, NSInteger new_style,
              NSInteger old_style, NSInteger reason) {
  call_saved<void>(g_saved_log, self, cmd, new_mode, old_mode, new_style, old_style, reason);
  msg<void>(self, CV_SEL("darkModeChanged:"), (BOOL)(new_style == kDarkStyle));
}

// Added darkModeChanged: (v@:B).
void dark_mode_changed(id, SEL, BOOL dark) {
  darkModeActive = dark;
  record_dark_state_in_settings(dark);
  broadcast_dark_state(dark);
}

}  // namespace

ArbiterHooks arbiter_hooks() {
  return {reinterpret_cast<IMP>(&update_hook),
          reinterpret_cast<IMP>(&mode_hook),
          reinterpret_cast<IMP>(&log_hook),
          reinterpret_cast<IMP>(&dark_mode_changed),
          &g_saved_update,
          &g_saved_mode,
          &g_saved_log};
}

}  // namespace corvane::appearance
