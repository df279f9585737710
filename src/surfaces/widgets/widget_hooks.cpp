// The widget hooks are thin: each calls the host's saved implementation,
// then hands the receiver to the widget logic in widget_theme.cpp.
#include "surfaces/widgets/widget_hooks.h"

#include "surfaces/widgets/widget_theme.h"

namespace corvane::widgets {
namespace {

IMP g_saved_layout = nullptr;
IMP g_saved_triggers[kTriggerCount] = {};

void layout_hook(id self, SEL cmd) {
  call_saved<void>(g_saved_layout, self, cmd);
  after_host_layout(self);
}

// The widget's own configuration and layout steps: each re-themes after it,
// whatever the settings say.
template <int N>
void trigger_hook(id self, SEL cmd) {
  call_saved<void>(g_saved_triggers[N], self, cmd);
  msg<void>(self, CV_SEL("updateWidgetTheme"));
}

void update_widget_theme(id self, SEL) { theme_widget(self); }

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
