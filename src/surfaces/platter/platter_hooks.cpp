#include "surfaces/platter/platter_hooks.h"

namespace corvane::platter {
namespace {

IMP g_saved_init = nullptr;
IMP g_saved_did_layout = nullptr;
IMP g_saved_view_layout = nullptr;

id init_hook(id self, SEL cmd, id container, id platter, id actions) {
  return call_saved<id>(g_saved_init, self, cmd, container, platter, actions);
}
void did_layout_hook(id self, SEL cmd) { call_saved<void>(g_saved_did_layout, self, cmd); }
void configure_tint_effect(id, SEL) {}
void view_layout_hook(id self, SEL cmd) { call_saved<void>(g_saved_view_layout, self, cmd); }

}  // namespace

PlatterHooks platter_hooks() {
  return {reinterpret_cast<IMP>(&init_hook),        reinterpret_cast<IMP>(&did_layout_hook),
          reinterpret_cast<IMP>(&configure_tint_effect), reinterpret_cast<IMP>(&view_layout_hook),
          &g_saved_init,                            &g_saved_did_layout,
          &g_saved_view_layout};
}

}  // namespace corvane::platter
