#include "surfaces/widgets/widget_hooks.h"

#include "entry/names.h"
#include "entry/properties.h"
#include "entry/settings.h"
#include "entry/signals.h"
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

void register_once(id widget) {
  if (has_change_listener(widget)) return;
  set_has_change_listener(widget, true);
  observe_local(widget, CV_SEL("updateWidgetTheme"), names::kRethemeSignal);
}

// A plain view kept in headerTintView, made once, in front of the header's
// own subviews and framed across the header at every pass. Nothing colours
// it: it is there so that a widget carries the same parts as a banner.
void lay_out_header_tint_view(id widget) {
  id header = msg<id>(widget, CV_SEL("valueForKey:"), CV_STR("_headerContentView"));
  id tint = header_tint_view(widget);
  if (!tint) {
    tint = msg<id>(msg<id>(cls("UIView"), CV_SEL("alloc")), CV_SEL("init"));
    set_header_tint_view(widget, tint);
    msg<void>(header, CV_SEL("addSubview:"), tint);
    msg<void>(tint, CV_SEL("release"));  // the property (and the header) hold it now
  }
  double width = msg<CGRect>(widget, CV_SEL("frame")).size.width;
  double height = msg<CGRect>(header, CV_SEL("frame")).size.height;
  msg<void>(tint, CV_SEL("setFrame:"), CGRect{{0, 0}, {width, height}});
}

}  // namespace

void after_host_layout(id widget) {
  if (settings.forceLightWidget)
    force_light_style(widget);
  if (!settings.widgets) return;
  register_once(widget);
  lay_out_header_tint_view(widget);
  msg<void>(msg<id>(widget, CV_SEL("layer")), CV_SEL("setCornerRadius:"), kCornerRadius);
  msg<void>(widget, CV_SEL("setClipsToBounds:"), (BOOL) true);
  msg<void>(widget, CV_SEL("updateWidgetTheme"));
}

void theme_widget(id widget) {
  if (system_is_ios14_or_later()) return;
  bool light = takes_light_branch(current_system_style(), settings.forceLightWidget);
  WidgetFills fills = widget_fills(light, settings);
  apply_fill(widget, msg<id>(widget, CV_SEL("valueForKey:"), CV_STR("_backgroundView")),
             fills.background);
  apply_fill(widget, msg<id>(widget, CV_SEL("valueForKey:"), CV_STR("_headerBackgroundView")),
             fills.header);
}

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
