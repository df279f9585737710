#include "surfaces/widgets/widget_theme.h"

#include "core/names.h"
#include "core/private_parts.h"
#include "core/properties.h"
#include "core/settings.h"
#include "core/signals.h"

namespace corvane::widgets {
namespace {

// A plain view kept in headerTintView, made once, in front of the header's
// own subviews and framed across the header at every pass. Nothing colours
// it: it is there so that a widget carries the same parts as a banner.
void lay_out_header_tint_view(id widget) {
  id header = private_part(widget, "WGWidgetPlatterView", CV_STR("_headerContentView"));
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
  if (settings.forceLightWidget) force_light_style(widget);
  if (!settings.widgets) return;
  subscribe_once(widget, CV_SEL("updateWidgetTheme"), names::kRethemeSignal);
  lay_out_header_tint_view(widget);
  msg<void>(msg<id>(widget, CV_SEL("layer")), CV_SEL("setCornerRadius:"), kCornerRadius);
  msg<void>(widget, CV_SEL("setClipsToBounds:"), (BOOL) true);
  msg<void>(widget, CV_SEL("updateWidgetTheme"));
}

void theme_widget(id widget) {
  if (system_is_ios14_or_later()) return;
  bool light = takes_light_branch(current_system_style(), settings.forceLightWidget);
  WidgetFills fills = widget_fills(light, settings);
  apply_fill(widget, private_part(widget, "WGWidgetPlatterView", CV_STR("_backgroundView")),
             fills.background);
  // Only iOS 13's widgets have a header strip; the early return above keeps
  // this key from being asked on iOS 14, where it does not exist.
  apply_fill(widget, private_part(widget, "WGWidgetPlatterView", CV_STR("_headerBackgroundView")),
             fills.header);
}

}  // namespace corvane::widgets
