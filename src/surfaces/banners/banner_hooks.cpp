// The banner hooks are thin: each calls the host's saved implementation,
// then hands the receiver to the banner logic in banner_theme.cpp.
#include "surfaces/banners/banner_hooks.h"

#include "surfaces/banners/banner_theme.h"

namespace corvane::banners {
namespace {

IMP g_saved_layout = nullptr;

void layout_hook(id self, SEL cmd) {
  call_saved<void>(g_saved_layout, self, cmd);
  after_host_layout(self);
}

void update_notification_theme(id self, SEL) { theme_banner(self); }

}  // namespace

BannerHooks banner_hooks() {
  return {reinterpret_cast<IMP>(&layout_hook), reinterpret_cast<IMP>(&update_notification_theme),
          &g_saved_layout};
}

}  // namespace corvane::banners
