#include "surfaces/banners/banner_hooks.h"

namespace corvane::banners {
namespace {

IMP g_saved_layout = nullptr;

void layout_hook(id self, SEL cmd) { call_saved<void>(g_saved_layout, self, cmd); }
void update_notification_theme(id, SEL) {}

}  // namespace

BannerHooks banner_hooks() {
  return {reinterpret_cast<IMP>(&layout_hook), reinterpret_cast<IMP>(&update_notification_theme),
          &g_saved_layout};
}

}  // namespace corvane::banners
