#include "surfaces/platter/platter_hooks.h"

#include "surfaces/platter/platter_theme.h"

namespace corvane::platter {
namespace {

IMP g_saved_init = nullptr;
IMP g_saved_did_layout = nullptr;
IMP g_saved_view_layout = nullptr;

id init_hook(id self, SEL cmd, id container, id platter, id actions) {
  id controller = call_saved<id>(g_saved_init, self, cmd, container, platter, actions);
  subscribe_to_retheme(controller);
  return controller;
}

void did_layout_hook(id self, SEL cmd) {
  call_saved<void>(g_saved_did_layout, self, cmd);
  msg<void>(self, CV_SEL("configureTintEffect"));
}

void configure_tint_effect_method(id self, SEL) { configure_tint_effect(self); }

void view_layout_hook(id self, SEL cmd) {
  call_saved<void>(g_saved_view_layout, self, cmd);
  announce_platter_layout(self);
}

}  // namespace

PlatterHooks platter_hooks() {
  return {reinterpret_cast<IMP>(&init_hook),
          reinterpret_cast<IMP>(&did_layout_hook),
          reinterpret_cast<IMP>(&configure_tint_effect_method),
          reinterpret_cast<IMP>(&view_layout_hook),
          &g_saved_init,
          &g_saved_did_layout,
          &g_saved_view_layout};
}

}  // namespace corvane::platter
