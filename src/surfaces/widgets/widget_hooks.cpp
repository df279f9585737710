#include "surfaces/widgets/widget_hooks.h"

namespace corvane::widgets {
namespace {

IMP g_saved_layout = nullptr;
IMP g_saved_triggers[kTriggerCount] = {};

void layout_hook(id self, SEL cmd) { call_saved<void>(g_saved_layout, self, cmd); }

template <int N>
void trigger_hook(id self, SEL cmd) {
  call_saved<void>(g_saved_triggers[N], self, cmd);
}

void update_widget_theme(id, SEL) {}

}  // namespace

WidgetHooks widget_hooks() {
  WidgetHooks h{};
  h.layout_subviews = reinterpret_cast<IMP>(&layout_hook);
  h.triggers[0] = reinterpret_cast<IMP>(&trigger_hook<0>);
  h.triggers[1] = reinterpret_cast<IMP>(&trigger_hook<1>);
  h.triggers[2] = reinterpret_cast<IMP>(&trigger_hook<2>);
  h.triggers[3] = reinterpret_cast<IMP>(&trigger_hook<3>);
  h.triggers[4] = reinterpret_cast<IMP>(&trigger_hook<4>);
  h.update_widget_theme = reinterpret_cast<IMP>(&update_widget_theme);
  h.saved_layout_subviews = &g_saved_layout;
  for (int i = 0; i < kTriggerCount; ++i) h.saved_triggers[i] = &g_saved_triggers[i];
  return h;
}

}  // namespace corvane::widgets
